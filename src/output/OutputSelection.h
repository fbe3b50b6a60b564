#pragma once
// Which lamp outputs are switched on, and the toggle captions that show it.

#include <string>

#include "engine/ModelValues.h"
#include "engine/Switches.h"

namespace zeb {

struct OutputSelection {
    // A first start stores empty texts for these, as it always has.
    ModeSwitch OutputMode{SerialMode::Off, ""};
    OnOffSwitch LptSwitch{false, ""};
    OnOffSwitch KeyboardSwitch{false, ""};
    // The parallel-port base address as hexadecimal text, taken from the address list when it
    // loses focus and at start-up.
    std::string LptAddressText;
};

// Text colours of the toggle captions (saved with the settings, independently of the switch
// texts). Label numbers are the window's: 5 "AUTO", 9 "LPT", 10 "COM", 11 "USB FTDI ",
// 12 "KEYBOARD", 13 "USB-D 3 ", 14 "USB-D 8".
struct ToggleColours {
    Colour label5 = colours::Grey;
    Colour label9 = colours::Grey;
    Colour label10 = colours::Grey;
    Colour label11 = colours::Grey;
    Colour label12 = colours::Grey;
    Colour label13 = colours::Grey;
    Colour label14 = colours::Grey;
};

}  // namespace zeb
