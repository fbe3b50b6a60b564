#pragma once
// The number in a kernel device name: "parport3" -> 3, "event12" -> 12.

#include <charconv>
#include <optional>
#include <string_view>

namespace zeb {

// Nothing unless `name` is `prefix` followed by decimal digits only.
inline std::optional<int> DeviceNumber(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    int number = 0;
    const char* last = name.data() + name.size();
    auto [end, error] = std::from_chars(name.data() + prefix.size(), last, number);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return number;
}

}  // namespace zeb
