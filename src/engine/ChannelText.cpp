#include "engine/ChannelText.h"

#include <charconv>
#include <cmath>

#include "engine/ModelValues.h"

namespace zeb {

std::string_view TrimBlanks(std::string_view text, std::string_view blanks) {
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::optional<int> BandOfCaption(std::string_view caption) {
    const std::string_view digits = TrimBlanks(caption);
    if (digits.empty()) {
        return std::nullopt;
    }
    int band = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        band = band * 10 + (c - '0');
        if (band >= kBandCount) {
            return std::nullopt;
        }
    }
    return band;
}

std::optional<double> AutoStepOf(std::string_view text) {
    const std::string_view number = TrimBlanks(text);
    double step = 0.0;
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, step);
    if (number.empty() || ec != std::errc() || ptr != end || !std::isfinite(step)) {
        return std::nullopt;
    }
    return step;
}

}  // namespace zeb
