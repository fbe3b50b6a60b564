#pragma once
// The serial line settings text: baud rate, parity, data bits, stop bits ("115200,N,8,1").

#include <optional>
#include <string_view>

namespace zeb {

struct SerialLineSettings {
    int baud = 9600;
    char parity = 'N';  // N none, E even, O odd, M mark, S space
    int dataBits = 8;   // 5..8
    int stopBits = 1;   // 1 or 2
    bool operator==(const SerialLineSettings&) const = default;
};

// Nothing when the text is not four comma-separated fields of that kind.
std::optional<SerialLineSettings> ParseSerialLineSettings(std::string_view text);

}  // namespace zeb
