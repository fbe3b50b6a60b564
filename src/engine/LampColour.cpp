#include "engine/LampColour.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/ModelValues.h"

namespace zeb {

namespace {

// Violet: the last channel stops short of the red the wheel returns to.
constexpr double kLastHueDegrees = 270.0;

uint8_t Byte(double share) {
    return static_cast<uint8_t>(std::lround(std::clamp(share, 0.0, 1.0) * 255.0));
}

}  // namespace

LampColour DefaultLampColour(int channel) {
    const double hue = kLastHueDegrees * channel / (kChannelCount - 1) / 60.0;
    // Hue to RGB at full saturation and value: each primary is a trapezoid over the wheel.
    const auto primary = [hue](double centre) {
        double distance = std::fabs(std::fmod(hue - centre + 9.0, 6.0) - 3.0);
        return std::clamp(distance - 1.0, 0.0, 1.0);
    };
    return {Byte(1.0 - primary(0.0)), Byte(1.0 - primary(2.0)), Byte(1.0 - primary(4.0))};
}

std::optional<LampColour> ParseLampColour(const std::string& text) {
    if (text.size() != 6) {
        return std::nullopt;
    }
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return LampColour{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                      static_cast<uint8_t>(value)};
}

std::string LampColourText(LampColour colour) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const uint8_t byte : {colour.red, colour.green, colour.blue}) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

}  // namespace zeb
