#pragma once
// Where the web page listens and whether it is on: the `[Web]` section of the settings file
// ("Switch", "Listen", "Port") and the `--web [ADDRESS:]PORT` option, which wins over it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/CommandLine.h"
#include "core/WebListen.h"

namespace zeb {

struct WebSettings {
    bool on = false;
    WebListen listen;
};

// The `[Web]` section of `settingsFile` ("Switch=1" switches the page on); a missing file or
// section, or a value that is not understood, keeps the default (off, 127.0.0.1, the fixed
// port). Never writes the file.
WebSettings ReadWebSettings(const std::filesystem::path& settingsFile);

// The command line's `--web`, else the settings file's section.
WebSettings ChosenWebSettings(const CommandLine& line, const std::filesystem::path& settingsFile);

}  // namespace zeb
