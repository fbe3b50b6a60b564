#pragma once
// The three checks of parallel-port access. Each returns true when the caller must show
// kLptMessage (a box with one OK button and no icon); the caller also decides whether the
// program then ends (only when switching the output on).

#include <string>

#include "output/Devices.h"
#include "output/OutputSelection.h"

namespace zeb {

extern const std::string kLptMessage;

// The "LPT" toggle switches the output on. True: show the message, then end the program.
bool LptAccessFailsOnSwitchOn(PortIo& port);

// The address box loses focus: checks access, then takes the box's text as the address
// whatever the check said. True: show the message; the program continues.
bool LptAccessFailsOnAddressFocusLost(PortIo& port, OutputSelection& outputs,
                                      const std::string& addressBoxText);

// End of start-up: checks access only when the output is on. True: show the message; the
// program continues.
bool LptAccessFailsAtStartup(PortIo& port, const OutputSelection& outputs);

}  // namespace zeb
