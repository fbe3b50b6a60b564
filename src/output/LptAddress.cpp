#include "output/LptAddress.h"

#include <cctype>

namespace zeb {

std::optional<uint16_t> ParseLptAddress(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    uint32_t value = 0;
    bool anyDigit = false;
    for (; pos < text.size(); ++pos) {
        const auto c = static_cast<unsigned char>(text[pos]);
        if (!std::isxdigit(c)) {
            break;
        }
        anyDigit = true;
        const uint32_t digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = value * 16 + digit;
        if (value > 0xFFFF) {
            return std::nullopt;
        }
    }
    if (!anyDigit) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

}  // namespace zeb
