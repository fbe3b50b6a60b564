#include "desktop/HeadlessLaunch.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/SettingsPath.h"

namespace zeb {

// The window's binary links Qt Widgets, which the loader maps before main() runs. A service
// without a screen must not carry it (memory, start-up time, display libraries on a box that
// has none), so `zeb --headless` replaces itself at once with its sibling, which links no Qt
// at all; the process keeps its id, so a supervisor or a shell notices nothing. The other way
// round (a Qt-free `zeb` starting the window binary) would add the extra start to every
// desktop start instead.
int ExecHeadless(char* argv[]) {
    const std::string path = (ProgramDirectory() / kHeadlessProgram).string();
    argv[0] = const_cast<char*>(path.c_str());
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "zeb: cannot start the service program %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return 1;
}

}  // namespace zeb
