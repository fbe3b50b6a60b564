#include "web/WebControl.h"

#include <system_error>
#include <utility>

#include "web/WebState.h"
#include "web/WebToken.h"

namespace zeb {

namespace {

std::string TokenFor(const std::filesystem::path& tokenFile, bool renew) {
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(tokenFile.parent_path(), ignored);
    return LoadOrCreateWebToken(tokenFile, renew);
}

}  // namespace

std::unique_ptr<WebControl> WebControl::Start(Parts parts, const WebSettings& settings,
                                              bool renewToken) {
    const auto tokenFile = WebTokenPath(parts.program.SettingsPath());
    try {
        if (renewToken && !settings.on) {
            TokenFor(tokenFile, true);
            parts.console.Line("web page token renewed in " + tokenFile.string());
            return nullptr;
        }
        if (!settings.on) {
            return nullptr;
        }
        std::string token = TokenFor(tokenFile, renewToken);
        auto control =
            std::make_unique<WebControl>(parts, settings.listen, tokenFile, std::move(token));
        parts.console.Line("web page at " + control->Address());
        return control;
    } catch (const std::system_error& error) {
        parts.console.Line(std::string("web page off: ") + error.what());
        return nullptr;
    }
}

WebControl::WebControl(Parts parts, const WebListen& listen, std::filesystem::path tokenFile,
                       std::string token)
    : parts_(parts),
      listen_(listen),
      tokenFile_(std::move(tokenFile)),
      server_(listen, MachineHostNames(listen), token,
              [this](const WebChange& change) { return Carry(change); }),
      address_(WebPageAddress(listen, server_.Port(), token)) {}

WebReply WebControl::Carry(const WebChange& change) {
    pageChanged_ = true;
    if (parts_.program.Ended()) {
        return {503, R"({"error":"the program is ending"})", {}};
    }
    switch (change.kind) {
        case WebChange::Kind::Save:
            if (!parts_.actions.Save()) {
                return {500, R"({"error":"the settings were not saved: see the message"})", {}};
            }
            return {200, R"({"saved":true})", {}};
        case WebChange::Kind::NewToken:
            return RenewToken();
        default:
            break;
    }
    if (auto refused = ApplyWebChange(change, parts_.actions, parts_.model)) {
        std::string reason;
        for (const char c : *refused) {
            if (c == '"' || c == '\\') {
                reason += '\\';
            }
            reason += c;
        }
        return {400, "{\"error\":\"" + reason + "\"}", {}};
    }
    return {200, R"({"ok":true})", {}};
}

WebReply WebControl::RenewToken() {
    std::string token;
    try {
        token = LoadOrCreateWebToken(tokenFile_, true);
    } catch (const std::system_error& error) {
        parts_.console.Line(std::string("web page token not renewed: ") + error.what());
        return {500, R"({"error":"the new token could not be stored"})", {}};
    }
    server_.SetToken(token);
    address_ = WebPageAddress(listen_, server_.Port(), token);
    parts_.console.Line("web page at " + address_);
    return {200, "{\"renewed\":true,\"address\":\"" + address_ + "\"}", token};
}

bool WebControl::AfterEngineTick() {
    bool carried = false;
    if (server_.WantsFrames()) {
        const std::string outputs = parts_.program.OutputsInUse();
        // The whole state goes out only when more than the live part changed.
        std::optional<std::string> whole;
        if (pageChanged_ || server_.WantsWholeState() ||
            ++ticksSinceSettingsLook_ >= kSettingsLookEvery) {
            pageChanged_ = false;
            ticksSinceSettingsLook_ = 0;
            std::string settings =
                WebStateJson(parts_.model, outputs, parts_.messages, WebStatePart::Settings);
            if (settings != lastSettings_ || server_.WantsWholeState()) {
                whole = WebStateJson(parts_.model, outputs, parts_.messages);
                lastSettings_ = std::move(settings);
            }
        }
        carried = server_.Publish(
            WebStateJson(parts_.model, outputs, parts_.messages, WebStatePart::Live),
            std::move(whole));
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastServed_ >= std::chrono::seconds(1)) {
        // libmicrohttpd's time-outs (a header that never ends, an idle connection) need a
        // round now and then, whether or not frames went out.
        lastServed_ = now;
        carried = server_.Serve() || carried;
    }
    return carried;
}

}  // namespace zeb
