#pragma once
// The checks of parallel-port access. Each returns true when the caller must show kLptMessage
// (a box with one OK button and no icon).

#include <string>

#include "output/Devices.h"
#include "output/OutputSelection.h"

namespace zeb {

extern const std::string kLptMessage;

// The address box losing focus with `addressText`: is access to that port missing?
bool LptAccessMissing(PortIo& port, const std::string& addressText);

// End of start-up: checks access to the stored address only when the output is on. True: show the
// message; the program continues.
bool LptAccessFailsAtStartup(PortIo& port, const OutputSelection& outputs);

}  // namespace zeb
