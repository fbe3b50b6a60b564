#include "output/serial/SerialLineSettings.h"

#include <array>
#include <cctype>
#include <charconv>

namespace zeb {
namespace {

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<SerialLineSettings> ParseSerialLineSettings(std::string_view text) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    while (true) {
        const auto comma = text.find(',');
        if (count == fields.size()) {
            return std::nullopt;
        }
        fields[count++] = text.substr(0, comma);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    if (count != fields.size() || fields[1].size() != 1) {
        return std::nullopt;
    }
    SerialLineSettings settings;
    const auto baud = WholeNumber(fields[0]);
    const auto dataBits = WholeNumber(fields[2]);
    const auto stopBits = WholeNumber(fields[3]);
    settings.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[1][0])));
    if (!baud || *baud <= 0 || !dataBits || *dataBits < 5 || *dataBits > 8 || !stopBits ||
        (*stopBits != 1 && *stopBits != 2) ||
        std::string_view("NEOMS").find(settings.parity) == std::string_view::npos) {
        return std::nullopt;
    }
    settings.baud = *baud;
    settings.dataBits = *dataBits;
    settings.stopBits = *stopBits;
    return settings;
}

}  // namespace zeb
