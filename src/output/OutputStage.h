#pragma once
// The per-tick output stage: the frames the engine tick sends to the selected lamp outputs.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/EngineState.h"
#include "output/Devices.h"
#include "output/OutputSelection.h"

namespace zeb {

// A port address typed as hexadecimal without prefix ("378"). Read leniently: leading blanks
// are skipped, then hexadecimal digits are taken up to the first other character ("37Z" is
// 0x37). No digit at all, or more than four significant digits, gives no port.
std::optional<uint16_t> ReadHexPort(const std::string& text);

// The parallel port's control register value for channels 8..11. Control bits 0, 1 and 3 are
// inverted at the connector, so they are written inverted to light their lamps; bit 2 is not.
uint8_t ControlNibble(const ChannelStatesArray& states);

// The parallel port's frame of `state`: the data byte to the selection's remembered address,
// the control nibble to the address box's port + 2. An address without a port writes nothing.
void WriteParallelFrame(const OutputSelection& selection, const std::string& addressBoxText,
                        const EngineState& state, PortIo& port);

// The serial sequence of `mode` ("COM", "USB8LED" or "USB3LED") for `state`; any other mode
// writes nothing.
void WriteSerialFrame(const std::string& mode, const EngineState& state, SerialPort& serial);

// Writes the frame of every selected output, in this order: FTDI byte, parallel data byte,
// parallel control nibble, then the serial sequence of "COM", "USB8LED" or "USB3LED".
// `addressBoxText` is what the parallel-port address list shows now; its port + 2 receives
// the control nibble, while the data byte goes to the selection's remembered address.
// Failed writes are ignored (the next tick tries again); missing devices are skipped.
void WriteOutputs(const OutputSelection& selection, const std::string& addressBoxText,
                  const EngineState& state, OutputDevices& devices);

}  // namespace zeb
