#pragma once
// What the headless service says about itself: a live status line on a terminal, and
// otherwise one line whenever its state changes.

#include <string>

#include "core/ProgramModel.h"

namespace zeb {

// `outputsInUse` is how the program names the outputs in use, as the window's toggles name
// them with their states: "COM (port lost), LPT 378, KEYBOARD, DMX universe 1 (waiting for
// olad)", or "none".

// The live line: input level, the twelve channels (# lit, - dark), the tempo while it is
// tracked and the outputs in use, e.g. "level  42%  lamps #---#-------  outputs: USB FTDI" or
// "level  42%  lamps #---#-------  tempo 120 BPM  outputs: USB FTDI".
std::string StatusLine(const ProgramModel& model, const std::string& outputsInUse);

// The state whose changes are logged: whether there is sound and the outputs in use, e.g.
// "input silent (only channel 0 lit); outputs: USB FTDI". Changes a few times a song at most.
std::string StateLine(const ProgramModel& model, const std::string& outputsInUse);

}  // namespace zeb
