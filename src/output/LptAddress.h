#pragma once
// Parallel-port register numbers from the address text the user picks ("378", "D010").

#include <cstdint>
#include <optional>
#include <string_view>

namespace zeb {

// The hexadecimal value of the leading hexadecimal digits of `text` (leading blanks skipped,
// reading stops at the first other character). Nothing when there is no digit or the value
// needs more than four significant digits: such an address must lead to no write.
std::optional<uint16_t> ParseLptAddress(std::string_view text);

// The control register, two above the base; the port numbers wrap at 65 536 (FFFF -> 0001).
constexpr uint16_t LptControlPort(uint16_t base) {
    return static_cast<uint16_t>(base + 2u);
}

}  // namespace zeb
