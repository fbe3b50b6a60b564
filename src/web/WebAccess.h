#pragma once
// Who may use the page: the checks every request passes before anything else happens, as
// plain functions of the request's facts so they are tested and fuzzed without a server.

#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// The cookie the address's token is exchanged for.
constexpr std::string_view kWebCookieName = "zeb_token";

struct WebRequestFacts {
    std::string_view method;
    std::string_view host;      // the Host header, port included ("" when absent)
    std::string_view origin;    // the Origin header ("" when absent)
    std::string_view cookie;    // the Cookie header ("" when absent)
    std::string_view urlToken;  // the address's "token" argument ("" when absent)
};

struct WebAccessPolicy {
    std::string token;
    // The names the machine answers to (the listen address, its name, its addresses,
    // "localhost"), without the port.
    std::vector<std::string> hosts;
    unsigned port = 0;
};

enum class WebAccess {
    Granted,
    UnknownHost,    // a name the machine does not go by: a rebinding attempt (403)
    NoToken,        // neither a valid token nor cookie (401)
    ForeignOrigin,  // a change from another site's page (403)
};

WebAccess CheckWebAccess(const WebRequestFacts& request, const WebAccessPolicy& policy);

// The value of cookie `name` in a Cookie header ("" when absent).
std::string_view CookieValue(std::string_view header, std::string_view name);

// The host name of a Host header or Origin ("[::1]:8035" -> "::1", "zeb.lan:80" -> "zeb.lan"),
// lower case; the port, when there is one, goes to `port` (0 when none).
std::string HostPart(std::string_view hostAndPort, unsigned& port);

// Compares in time that does not depend on where the texts differ.
bool SameSecret(std::string_view a, std::string_view b);

// What the page should say to a refused request.
const char* WebAccessReason(WebAccess access);

}  // namespace zeb
