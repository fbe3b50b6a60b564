#include "web/WebSettings.h"

#include <system_error>

#include "ini/clsINI.h"

namespace zeb {

namespace {

constexpr const char* kWeb = "Web";

}  // namespace

WebSettings ReadWebSettings(const std::filesystem::path& settingsFile) {
    WebSettings settings;
    clsINI ini;
    try {
        ini.FileName(settingsFile.string());
    } catch (const std::system_error&) {
        return settings;  // start-up reports an unreadable file; the page stays off
    }
    if (!ini.SectionExists(kWeb)) {
        return settings;
    }
    settings.on = ini.Value(kWeb, "Switch") == "1";
    const std::string address = ini.Value(kWeb, "Listen");
    if (IsNumericWebAddress(address)) {
        settings.listen.address = address;
    }
    if (const auto port = ParseWebPort(ini.Value(kWeb, "Port"))) {
        settings.listen.port = *port;
    }
    return settings;
}

WebSettings ChosenWebSettings(const CommandLine& line, const std::filesystem::path& settingsFile) {
    if (line.web) {
        return {.on = true, .listen = *line.web};
    }
    return ReadWebSettings(settingsFile);
}

}  // namespace zeb
