#include "ini/IniText.h"

#include <algorithm>
#include <utility>

namespace zeb {
namespace {

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Only the space character counts as a blank; tabs and other controls stay.
std::string_view TrimSpaces(std::string_view line) {
    const auto first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = line.find_last_not_of(' ');
    return line.substr(first, last - first + 1);
}

class Parser {
  public:
    void TakeLine(std::string_view raw) {
        std::string_view line = TrimSpaces(raw);
        if (line.empty() || line.front() == ';') {
            return;
        }
        // Blanks in front of a cut comment stay; the line is not trimmed again.
        line = line.substr(0, line.find(';'));
        if (line.front() == '[') {
            TakeHeader(line);
        } else if (!sections_.empty()) {
            TakeEntry(line);
        }
    }

    std::vector<IniSection> Finish() { return std::move(sections_); }

  private:
    void TakeHeader(std::string_view line) {
        const auto close = line.find(']');
        if (close == std::string_view::npos || close == 1) {
            return;
        }
        sections_.push_back(IniSection{std::string(line.substr(1, close - 1)), {}});
    }

    void TakeEntry(std::string_view line) {
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) {
            return;
        }
        sections_.back().Values.push_back(
            IniValue{std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))});
    }

    std::vector<IniSection> sections_;
};

}  // namespace

bool NamesMatch(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::vector<IniSection> ParseIni(std::string_view text) {
    Parser parser;
    size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            parser.TakeLine(text.substr(start));
            break;
        }
        parser.TakeLine(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return parser.Finish();
}

std::string FormatIni(const std::vector<IniSection>& sections) {
    std::string text;
    for (const auto& section : sections) {
        text += '[';
        text += section.Name;
        text += "]\r\n";
        for (const auto& entry : section.Values) {
            text += entry.Name;
            text += '=';
            text += entry.Value;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace zeb
