#include "output/SerialSetup.h"

#include <charconv>
#include <string_view>

namespace zeb {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

void ChoosePort(SerialPort& port, std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '/') {
        port.SetCommDevice(std::string(text));
        return;
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    int16_t number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error == std::errc() && end == text.data() + text.size() && !text.empty()) {
        port.SetCommPort(number);
    }
}

}  // namespace

void COM(SerialPort& port, const std::string& combo2Text) {
    port.SetPortOpen(false);
    ChoosePort(port, combo2Text);
    port.SetSettings(kSerialLineSettings);
    port.SetPortOpen(true);
    port.SetDTREnable(true);
    port.SetRTSEnable(true);
}

}  // namespace zeb
