#include "core/SettingsNumbers.h"

#include <charconv>
#include <string_view>

#include "engine/ChannelText.h"

namespace zeb {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number's text as from_chars takes it (no blanks, no leading "+"), or empty when the
// text does not have the shape allowed above.
std::string_view NumberBody(const std::string& text, bool allowPoint) {
    const std::string_view trimmed = TrimBlanks(text);
    std::string_view magnitude = trimmed;
    if (!magnitude.empty() && (magnitude.front() == '+' || magnitude.front() == '-')) {
        magnitude.remove_prefix(1);
    }
    int digits = 0;
    int points = 0;
    for (char c : magnitude) {
        if (IsDigit(c)) {
            ++digits;
        } else if (c == '.' && allowPoint) {
            ++points;
        } else {
            return {};
        }
    }
    if (digits == 0 || points > 1) {
        return {};
    }
    return trimmed.front() == '-' ? trimmed : magnitude;
}

template <typename Integer>
std::optional<Integer> ParseInteger(const std::string& text) {
    const std::string_view body = NumberBody(text, false);
    Integer value{};
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (body.empty() || error != std::errc() || end != body.data() + body.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<int32_t> ParseInt32(const std::string& text) {
    return ParseInteger<int32_t>(text);
}

std::optional<int16_t> ParseInt16(const std::string& text) {
    return ParseInteger<int16_t>(text);
}

std::optional<float> ParseSingle(const std::string& text) {
    const std::string_view body = NumberBody(text, true);
    float value{};
    const auto [end, error] =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::fixed);
    if (body.empty() || error != std::errc() || end != body.data() + body.size()) {
        return std::nullopt;
    }
    return value;
}

std::string FormatSingle(float value) {
    // Not printf: the window toolkit switches the C library to the user's locale, whose
    // decimal comma would make the next load skip the width.
    char buffer[32];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

}  // namespace zeb
