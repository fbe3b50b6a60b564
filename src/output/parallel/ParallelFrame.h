#pragma once
// The parallel port's frame: channels 0..7 on the data register, 8..11 on the control register.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/EngineState.h"
#include "output/Devices.h"

namespace zeb {

// A port address typed as hexadecimal without prefix ("378"). Read leniently: leading blanks
// are skipped, then hexadecimal digits are taken up to the first other character ("37Z" is
// 0x37). No digit at all, or more than four significant digits, gives no port.
std::optional<uint16_t> ReadHexPort(const std::string& text);

// The parallel port's control register value for channels 8..11. Control bits 0, 1 and 3 are
// inverted at the connector, so they are written inverted to light their lamps; bit 2 is not.
uint8_t ControlNibble(const ChannelStatesArray& states);

// The parallel port's frame of `state`: the data byte to the remembered address
// `dataAddressText`, the control nibble to the address box's port + 2. An address without a
// port writes nothing.
void WriteParallelFrame(const std::string& dataAddressText, const std::string& addressBoxText,
                        const EngineState& state, PortIo& port);

}  // namespace zeb
