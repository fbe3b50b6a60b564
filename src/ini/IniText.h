#pragma once
// The INI text format of the store: how file bytes become sections and entries, and back.

#include <string>
#include <string_view>
#include <vector>

namespace zeb {

struct IniValue {
    std::string Name;   // the key exactly as read or passed, blanks and case kept
    std::string Value;  // may be empty
};

struct IniSection {
    std::string Name;
    std::vector<IniValue> Values;
};

// Case-insensitive comparison of section names and keys; only ASCII letters are folded, every
// other byte (blanks included) must be equal.
bool NamesMatch(std::string_view a, std::string_view b);

// Lines end at CR LF, a lone CR or a lone LF, so files written by Linux tools load too.
// Comments, blank lines, malformed lines and entries above the first header are dropped.
std::vector<IniSection> ParseIni(std::string_view text);

// Each section as its header, its entries and one empty line, every line ending in CR LF.
std::string FormatIni(const std::vector<IniSection>& sections);

}  // namespace zeb
