#pragma once
// Where set.ini lives: beside the executable, as it always has; or, when that folder is not
// writable (a program installed into a system folder), in the user's configuration folder, so
// that the save-and-exit button never loses the setup.

#include <filesystem>
#include <string>

namespace zeb {

// The folder of the running executable.
std::filesystem::path ProgramDirectory();

// set.ini beside the program when `programDir` is writable and is not an installed program's
// "bin" folder (root may write /usr/bin, but settings never belong there); otherwise
// `$XDG_CONFIG_HOME/zeb/set.ini`, or `$HOME/.config/zeb/set.ini` when XDG_CONFIG_HOME is unset
// or empty. Null environment values count as unset.
std::filesystem::path SettingsFilePath(const std::filesystem::path& programDir,
                                       const char* xdgConfigHome, const char* home);

// The path for this process, from its own executable and environment.
std::filesystem::path SettingsFilePath();

}  // namespace zeb
