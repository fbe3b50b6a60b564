#include "core/SettingsPath.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace zeb {

namespace fs = std::filesystem;

fs::path ProgramDirectory() {
    std::error_code error;
    const fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return fs::current_path();
    }
    return exe.parent_path();
}

fs::path SettingsFilePath(const fs::path& programDir, const char* xdgConfigHome, const char* home) {
    const bool installed = programDir.filename() == "bin";
    if (!installed && ::access(programDir.c_str(), W_OK) == 0) {
        return programDir / "set.ini";
    }
    fs::path configHome;
    if (xdgConfigHome != nullptr && *xdgConfigHome != '\0') {
        configHome = xdgConfigHome;
    } else if (home != nullptr && *home != '\0') {
        configHome = fs::path(home) / ".config";
    } else {
        // No home at all: the program folder is the only place left to try.
        return programDir / "set.ini";
    }
    return configHome / "zeb" / "set.ini";
}

fs::path SettingsFilePath() {
    return SettingsFilePath(ProgramDirectory(), std::getenv("XDG_CONFIG_HOME"),
                            std::getenv("HOME"));
}

}  // namespace zeb
