#pragma once
// A QR code of a text for a terminal: Unicode half blocks, two rows of modules a line, the
// light modules (and a quiet zone around them) drawn, so it reads on a dark terminal.

#include <string>
#include <vector>

namespace zeb {

// The code's lines; none when the text cannot be encoded.
std::vector<std::string> QrTextLines(const std::string& text);

// The code's modules, row by row (true = dark), without a quiet zone; none when the text
// cannot be encoded.
std::vector<std::vector<bool>> QrModules(const std::string& text);

}  // namespace zeb
