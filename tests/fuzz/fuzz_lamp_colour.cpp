// Reads arbitrary text as a stored lamp colour: a colour it takes is written back as the same
// six digits, in capitals, and reads back as itself; everything else is refused.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/LampColour.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto colour = zeb::ParseLampColour(text);
    bool shaped = text.size() == 6;
    for (const char c : text) {
        shaped = shaped && IsHexDigit(c);
    }
    Check(colour.has_value() == shaped);
    if (colour) {
        const std::string written = zeb::LampColourText(*colour);
        Check(written.size() == 6);
        for (size_t i = 0; i < 6; ++i) {
            Check(written[i] ==
                  static_cast<char>(std::toupper(static_cast<unsigned char>(text[i]))));
        }
        Check(zeb::ParseLampColour(written) == colour);
    }
    return 0;
}
