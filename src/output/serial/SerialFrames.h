#pragma once
// The serial port's lamp frames: the modem-control lines and transmit pulses of the "COM",
// "USB8LED" and "USB3LED" modes.

#include "engine/EngineState.h"
#include "engine/Switches.h"
#include "output/Devices.h"

namespace zeb {

// The sequence of `mode` for `state`; any mode that is not a serial-line mode writes nothing.
void WriteSerialFrame(SerialMode mode, const EngineState& state, SerialPort& serial);

// COM, USB8LED and USB3LED drive the serial port's lines; FTDI has a chip of its own.
bool IsSerialLineMode(SerialMode mode);

}  // namespace zeb
