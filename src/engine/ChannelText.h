#pragma once
// Reading the texts the program interprets: a channel's band caption and the "SPEED AUTO" entry
// on every tick, and the blanks that may stand around any number typed or stored as text.

#include <optional>
#include <string_view>

namespace zeb {

// `text` without the characters of `blanks` at either end.
std::string_view TrimBlanks(std::string_view text, std::string_view blanks = " ");

// The band a caption names: a whole decimal number 0..31, blanks around it allowed ("7",
// " 07 "). Anything else (a sign, a fraction, letters, an empty text) names no band.
std::optional<int> BandOfCaption(std::string_view caption);

// The automatic-threshold step a "SPEED AUTO" text holds: a finite decimal number, blanks
// around it allowed. An empty or non-numeric text holds none.
std::optional<double> AutoStepOf(std::string_view text);

}  // namespace zeb
