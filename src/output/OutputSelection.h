#pragma once
// Which lamp outputs are switched on, and the toggle captions that show it. The switch
// variables are plain texts compared exactly; any text other than the values below means off.

#include <string>

#include "engine/ModelValues.h"

namespace zeb {

struct OutputSelection {
    std::string OutputMode;      // "COM", "FTDI", "USB3LED", "USB8LED", "0"
    std::string LptSwitch;       // "LPT", "0"
    std::string KeyboardSwitch;  // "1", "0"
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
