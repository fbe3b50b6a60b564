#pragma once
// The colour a channel's lamps light in: on colour lamps and LED strips, and on the window's
// lamp circles. Stored as six hex digits, "RRGGBB".

#include <cstdint>
#include <optional>
#include <string>

namespace zeb {

struct LampColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const LampColour&) const = default;
};

// Channel `channel`'s colour on a fresh start: round the colour wheel from red (channel 0, the
// bass end) to violet (channel 11), at full saturation and brightness.
LampColour DefaultLampColour(int channel);

// "RRGGBB" (either case, nothing around it); nullopt for any other text.
std::optional<LampColour> ParseLampColour(const std::string& text);
// "RRGGBB" in capitals.
std::string LampColourText(LampColour colour);

}  // namespace zeb
