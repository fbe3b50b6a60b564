#pragma once
// Where the web page listens: an address and a port, as `--web [ADDRESS:]PORT` gives them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeb {

// A fixed port of its own, away from the ones desktop services use.
constexpr uint16_t kWebDefaultPort = 8035;
constexpr const char* kWebDefaultListen = "127.0.0.1";

struct WebListen {
    std::string address = kWebDefaultListen;
    uint16_t port = kWebDefaultPort;
};

// "PORT", "ADDRESS:PORT" or "[IPv6]:PORT"; the address must be a numeric IPv4 or IPv6
// address. Nothing, with `error` set, when the text is none of these.
std::optional<WebListen> ParseWebListen(const std::string& text, std::string& error);

bool IsNumericWebAddress(const std::string& address);
std::optional<uint16_t> ParseWebPort(std::string_view text);

}  // namespace zeb
