#include "core/SwitchTexts.h"

#include <array>
#include <utility>

namespace zeb {

namespace {

constexpr std::array<std::pair<SerialMode, std::string_view>, 5> kOutputModeTexts = {{
    {SerialMode::Com, "COM"},
    {SerialMode::Ftdi, "FTDI"},
    {SerialMode::Usb3Led, "USB3LED"},
    {SerialMode::Usb8Led, "USB8LED"},
    {SerialMode::Off, "0"},
}};

}  // namespace

OnOffSwitch ReadOnOff(const std::string& text, OnOffTexts texts) {
    if (text == texts.on || text == texts.off) {
        return {text == texts.on, std::nullopt};
    }
    return {false, text};
}

std::string OnOffText(const OnOffSwitch& stored, OnOffTexts texts) {
    if (const auto& unknown = stored.UnknownText()) {
        return *unknown;
    }
    return std::string(stored.On() ? texts.on : texts.off);
}

ModeSwitch ReadOutputMode(const std::string& text) {
    for (const auto& [mode, known] : kOutputModeTexts) {
        if (text == known) {
            return {mode, std::nullopt};
        }
    }
    return {SerialMode::Off, text};
}

std::string OutputModeText(const ModeSwitch& stored) {
    if (const auto& unknown = stored.UnknownText()) {
        return *unknown;
    }
    for (const auto& [mode, known] : kOutputModeTexts) {
        if (stored.Is(mode)) {
            return std::string(known);
        }
    }
    return "0";
}

}  // namespace zeb
