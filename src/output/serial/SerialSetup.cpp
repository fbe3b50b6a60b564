#include "output/serial/SerialSetup.h"

#include <charconv>
#include <string_view>

#include "engine/ChannelText.h"

namespace zeb {
namespace {

void ChoosePort(SerialPort& port, std::string_view text) {
    text = TrimBlanks(text, " \t");
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

bool COM(SerialPort& port, const std::string& combo2Text) {
    port.SetPortOpen(false);
    ChoosePort(port, combo2Text);
    port.SetSettings(kSerialLineSettings);
    const bool opened = port.SetPortOpen(true);
    port.SetDTREnable(true);
    port.SetRTSEnable(true);
    return opened;
}

}  // namespace zeb
