#include "web/WebAccess.h"

#include <algorithm>
#include <charconv>

namespace zeb {

namespace {

constexpr std::string_view kHttp = "http://";

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool KnownHost(std::string_view header, const WebAccessPolicy& policy) {
    unsigned port = 0;
    const std::string host = HostPart(header, port);
    if (host.empty() || (port != 0 && port != policy.port) || (port == 0 && policy.port != 80)) {
        return false;
    }
    return std::find(policy.hosts.begin(), policy.hosts.end(), host) != policy.hosts.end();
}

bool TokenMatches(std::string_view offered, const WebAccessPolicy& policy) {
    return !offered.empty() && !policy.token.empty() && SameSecret(offered, policy.token);
}

}  // namespace

std::string_view CookieValue(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        const size_t end = std::min(header.find(';'), header.size());
        const std::string_view pair = Trimmed(header.substr(0, end));
        header.remove_prefix(std::min(end + 1, header.size()));
        const size_t equals = pair.find('=');
        if (equals != std::string_view::npos && Trimmed(pair.substr(0, equals)) == name) {
            return Trimmed(pair.substr(equals + 1));
        }
    }
    return {};
}

std::string HostPart(std::string_view hostAndPort, unsigned& port) {
    port = 0;
    std::string_view host = hostAndPort;
    std::string_view portText;
    if (host.starts_with('[')) {
        const size_t close = host.find(']');
        if (close == std::string_view::npos) {
            return {};
        }
        const std::string_view rest = host.substr(close + 1);
        host = host.substr(1, close - 1);
        if (!rest.empty()) {
            if (!rest.starts_with(':')) {
                return {};
            }
            portText = rest.substr(1);
        }
    } else if (const size_t colon = host.find(':'); colon != std::string_view::npos) {
        portText = host.substr(colon + 1);
        host = host.substr(0, colon);
    }
    if (!portText.empty() || hostAndPort.ends_with(':')) {
        unsigned number = 0;
        const auto [end, ec] =
            std::from_chars(portText.data(), portText.data() + portText.size(), number);
        if (ec != std::errc{} || end != portText.data() + portText.size() || number == 0 ||
            number > 65535) {
            return {};
        }
        port = number;
    }
    std::string lower(host);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    // A trailing dot names the same host ("zeb.lan." is "zeb.lan").
    if (!lower.empty() && lower.back() == '.') {
        lower.pop_back();
    }
    return lower;
}

bool SameSecret(std::string_view a, std::string_view b) {
    // The length is no secret: every token has 32 digits.
    if (a.size() != b.size() || b.empty()) {
        return false;
    }
    unsigned char differ = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return differ == 0;
}

WebAccess CheckWebAccess(const WebRequestFacts& request, const WebAccessPolicy& policy) {
    if (!KnownHost(request.host, policy)) {
        return WebAccess::UnknownHost;
    }
    if (!TokenMatches(request.urlToken, policy) &&
        !TokenMatches(CookieValue(request.cookie, kWebCookieName), policy)) {
        return WebAccess::NoToken;
    }
    const bool change = request.method != "GET" && request.method != "HEAD";
    if (change && !request.origin.empty()) {
        // The page's own origin is the address it was loaded from: the Host it sends.
        if (!request.origin.starts_with(kHttp) ||
            request.origin.substr(kHttp.size()) != request.host) {
            return WebAccess::ForeignOrigin;
        }
    }
    return WebAccess::Granted;
}

const char* WebAccessReason(WebAccess access) {
    switch (access) {
        case WebAccess::Granted:
            return "";
        case WebAccess::UnknownHost:
            return "this machine does not go by that name";
        case WebAccess::NoToken:
            return "open the address with its token (zeb prints it when it starts)";
        case WebAccess::ForeignOrigin:
            return "changes come only from ZEB's own page";
    }
    return "";
}

}  // namespace zeb
