// Arbitrary bytes as a web page request: its headers through the access checks and its body
// through the change parser. A change that passes names a real channel and a value the
// window's control accepts; access is granted only to the token, on a host the policy names.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "web/WebAccess.h"
#include "web/WebChange.h"
#include "web/WebState.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Any bytes typed into a caption leave the state valid JSON, and UTF-8 text unchanged.
void CheckState(std::string_view caption) {
    zeb::ProgramModel model;
    model.channels[0].bandCaption = std::string(caption);
    const auto state =
        nlohmann::json::parse(zeb::WebStateJson(model, "none", zeb::WebMessages()), nullptr, false);
    Check(!state.is_discarded());
    const auto shown = state["channels"][0]["caption"].get<std::string>();
    bool utf8 = true;
    try {
        static_cast<void>(nlohmann::json(std::string(caption)).dump());
    } catch (const nlohmann::json::type_error&) {
        utf8 = false;
    }
    Check(!utf8 || shown == caption);
}

// The first five lines are the method, Host, Origin, Cookie and the address's token; the rest
// is the body.
std::vector<std::string_view> Lines(std::string_view data, size_t count) {
    std::vector<std::string_view> lines;
    while (lines.size() < count) {
        const size_t end = data.find('\n');
        lines.push_back(data.substr(0, end));
        data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
    }
    lines.push_back(data);
    return lines;
}

void CheckChange(std::string_view body) {
    std::string reason;
    const auto change = zeb::ParseWebChange(body, reason);
    if (!change) {
        Check(!reason.empty());
        return;
    }
    using Kind = zeb::WebChange::Kind;
    if (change->kind == Kind::Threshold || change->kind == Kind::Band) {
        Check(change->channel >= 0 && change->channel < zeb::kChannelCount);
        Check(change->number >= 0 && change->number <= (change->kind == Kind::Band ? 31 : 25));
    }
    if (change->kind == Kind::Level || change->kind == Kind::Gain) {
        Check(change->number >= 0 && change->number <= 254);
    }
    if (change->kind == Kind::Colour) {
        Check(change->channel >= 0 && change->channel < zeb::kChannelCount);
        Check(zeb::ParseLampColour(change->text) == change->colour);
    }
    if (change->kind == Kind::DmxLayout) {
        Check(change->number >= 0 &&
              static_cast<size_t>(change->number) < zeb::kDmxLayoutNames.size());
    }
    Check(change->text.size() <= 32);
    for (const char c : change->text) {
        Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    }
}

void CheckAccess(const std::vector<std::string_view>& lines) {
    const zeb::WebAccessPolicy policy{.token = "0123456789abcdef0123456789abcdef",
                                      .hosts = {"127.0.0.1", "zeb.lan"},
                                      .port = 8035};
    const zeb::WebRequestFacts facts{.method = lines[0],
                                     .host = lines[1],
                                     .origin = lines[2],
                                     .cookie = lines[3],
                                     .urlToken = lines[4]};
    const zeb::WebAccess access = zeb::CheckWebAccess(facts, policy);
    if (access == zeb::WebAccess::Granted) {
        Check(facts.urlToken == policy.token ||
              zeb::CookieValue(facts.cookie, zeb::kWebCookieName) == policy.token);
        unsigned port = 0;
        const std::string host = zeb::HostPart(facts.host, port);
        Check(host == "127.0.0.1" || host == "zeb.lan");
        Check(port == policy.port);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto lines = Lines(std::string_view(reinterpret_cast<const char*>(data), size), 5);
    CheckAccess(lines);
    CheckChange(lines[5]);
    CheckState(lines[5]);
    return 0;
}
