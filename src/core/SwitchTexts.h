#pragma once
// The switches' texts in the settings file, turned into states and back: the settings code
// is the only user. Any other text reads as off and is saved back as it was read, until the
// program changes the switch.

#include <string>
#include <string_view>

#include "engine/Switches.h"

namespace zeb {

struct OnOffTexts {
    std::string_view on;
    std::string_view off = "0";
};
inline constexpr OnOffTexts kLptTexts{"LPT"};
inline constexpr OnOffTexts kKeyboardTexts{"1"};
inline constexpr OnOffTexts kAutoTexts{"AUTO"};
inline constexpr OnOffTexts kDmxTexts{"DMX"};

OnOffSwitch ReadOnOff(const std::string& text, OnOffTexts texts);
std::string OnOffText(const OnOffSwitch& stored, OnOffTexts texts);

// "COM", "FTDI", "USB3LED", "USB8LED", "0".
ModeSwitch ReadOutputMode(const std::string& text);
std::string OutputModeText(const ModeSwitch& stored);

}  // namespace zeb
