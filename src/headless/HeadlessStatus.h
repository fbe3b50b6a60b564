#pragma once
// What the headless service says about itself: a live status line on a terminal, and
// otherwise one line whenever its state changes.

#include <string>

#include "core/ProgramModel.h"

namespace zeb {

// The outputs in use, named as the window's toggles name them: "USB FTDI, LPT 378, KEYBOARD,
// DMX universe 1", or "none". A DMX output without its daemon says so: "DMX universe 1 (olad
// lost)".
std::string OutputsInUse(const ProgramModel& model);

// The live line: input level, the twelve channels (# lit, - dark) and the outputs in use,
// e.g. "level  42%  lamps #---#-------  outputs: USB FTDI".
std::string StatusLine(const ProgramModel& model);

// The state whose changes are logged: whether there is sound and the outputs in use, e.g.
// "input silent (only channel 0 lit); outputs: USB FTDI". Changes a few times a song at most.
std::string StateLine(const ProgramModel& model);

}  // namespace zeb
