#include "desktop/DisplayCheck.h"

#include <X11/Xlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string_view>
#include <vector>

namespace zeb {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// An open connection to the X server named by DISPLAY, or none.
std::unique_ptr<Display, int (*)(Display*)> ConnectX11() {
    Display* display = Environment("DISPLAY").empty() ? nullptr : XOpenDisplay(nullptr);
    return {display, XCloseDisplay};
}

bool WaylandUsable() {
    const std::string name = Environment("WAYLAND_DISPLAY");
    if (name.empty()) {
        return false;
    }
    const std::string socket =
        name.front() == '/' ? name : Environment("XDG_RUNTIME_DIR") + "/" + name;
    struct stat info = {};
    return ::stat(socket.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

struct DisplayCheck::HeldConnection {
    std::unique_ptr<Display, int (*)(Display*)> x11;
};

DisplayCheck::DisplayCheck() {
    // QT_QPA_PLATFORM may name several platforms ("wayland;xcb") with options after a colon.
    std::vector<std::string> platforms;
    std::istringstream chosen(Environment("QT_QPA_PLATFORM"));
    for (std::string entry; std::getline(chosen, entry, ';');) {
        platforms.push_back(entry.substr(0, entry.find(':')));
    }
    if (platforms.empty()) {
        platforms = {"wayland", "xcb"};
    }
    for (const std::string& platform : platforms) {
        if (platform == "xcb") {
            if (auto x11 = ConnectX11()) {
                held_ = std::make_unique<HeldConnection>(HeldConnection{std::move(x11)});
                return;
            }
        } else if (std::string_view(platform).starts_with("wayland")) {
            if (WaylandUsable()) {
                return;
            }
        } else if (!platform.empty()) {
            return;  // offscreen, vnc, eglfs ...: Qt needs no display server
        }
    }
    const std::string display = Environment("DISPLAY");
    if (display.empty() && Environment("WAYLAND_DISPLAY").empty()) {
        problem_ =
            "no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is "
            "set); zeb --headless runs without one";
        return;
    }
    problem_ = "cannot connect to the display" + (display.empty() ? "" : " " + display) +
               "; zeb --headless runs without one";
}

DisplayCheck::~DisplayCheck() = default;

}  // namespace zeb
