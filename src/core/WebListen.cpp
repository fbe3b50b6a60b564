#include "core/WebListen.h"

#include <arpa/inet.h>

#include <charconv>

namespace zeb {

std::optional<uint16_t> ParseWebPort(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(value);
}

bool IsNumericWebAddress(const std::string& address) {
    in6_addr scratch{};
    return ::inet_pton(AF_INET, address.c_str(), &scratch) == 1 ||
           ::inet_pton(AF_INET6, address.c_str(), &scratch) == 1;
}

std::optional<WebListen> ParseWebListen(const std::string& text, std::string& error) {
    WebListen listen;
    std::string_view port = text;
    if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        std::string address = text.substr(0, colon);
        if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
            address = address.substr(1, address.size() - 2);
        } else if (address.find(':') != std::string::npos) {
            // "::1:8035" could be an address of its own: the port must be beyond doubt.
            error = "write an IPv6 address in brackets, as [::1]:PORT";
            return std::nullopt;
        }
        if (!IsNumericWebAddress(address)) {
            error = "'" + address + "' is not a numeric IPv4 or [IPv6] address";
            return std::nullopt;
        }
        listen.address = address;
        port = std::string_view(text).substr(colon + 1);
    }
    const auto number = ParseWebPort(port);
    if (!number) {
        error = "'" + std::string(port) + "' is not a port number (1..65535)";
        return std::nullopt;
    }
    listen.port = *number;
    return listen;
}

}  // namespace zeb
