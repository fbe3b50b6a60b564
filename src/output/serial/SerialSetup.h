#pragma once
// Opening the serial port at every activation of the main window.

#include <string>

#include "output/Devices.h"

namespace zeb {

// The line settings every lamp mode uses.
inline constexpr const char* kSerialLineSettings = "115200,N,8,1";

// Closes the port, chooses the port from the port box text, sets 115200,N,8,1, opens it and
// asserts DTR and RTS; each step runs even when an earlier one failed, and nothing is
// reported. The text is a port number (blanks around it ignored, e.g. "4  ") or a device
// path starting with "/"; any other text keeps the port chosen before. True when the port
// opened.
bool COM(SerialPort& port, const std::string& combo2Text);

}  // namespace zeb
