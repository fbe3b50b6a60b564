#pragma once
// The keyboard's lock states as the display server keeps them. Under X11 the server owns Caps,
// Num and Scroll Lock, so it is the one to ask when the LEDs are given back to the keyboard.

#include "output/Devices.h"

namespace zeb {

// A query of the X server's lock indicators when the program runs on X11; an empty query
// elsewhere (Wayland, no display), which leaves the keyboard driver to its own memory.
LockStateQuery DisplayLockStateQuery();

}  // namespace zeb
