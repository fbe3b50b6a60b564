#pragma once
// The numbers of the settings file: how its text is read and how the width is written.
//
// "A number" is deliberately narrow, so a hand-edited value that is not plainly a number is
// skipped rather than guessed at: optional spaces, an optional "+" or "-", then decimal
// digits, then optional spaces. Nothing else: no tabs, no hexadecimal, no exponent. Only the
// window width may also hold a decimal point ("643.3333", ".5", "12.").

#include <cstdint>
#include <optional>
#include <string>

namespace zeb {

// nullopt when the text is no number or lies outside the type's range.
std::optional<int32_t> ParseInt32(const std::string& text);
std::optional<int16_t> ParseInt16(const std::string& text);
std::optional<float> ParseSingle(const std::string& text);

// A single-precision number with at most 7 significant digits and no trailing zeros: "6655",
// "643.3333", "-0.25".
std::string FormatSingle(float value);

}  // namespace zeb
