#include "ui/DisplayLockStates.h"

#include <QGuiApplication>

// After Qt: the X11 headers define macros (None, Bool, Status) that Qt's headers also use.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace zeb {

namespace {

std::optional<bool> IndicatorState(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == None) {
        return std::nullopt;
    }
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
        return std::nullopt;
    }
    return on == True;
}

}  // namespace

LockStateQuery DisplayLockStateQuery() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    if (x11 == nullptr || x11->display() == nullptr) {
        return {};
    }
    return [x11]() -> std::optional<KeyboardLockStates> {
        // The lamps are darkened on the way out also after the display server died; a call
        // on the broken connection would end the process in the middle of that.
        if (xcb_connection_has_error(x11->connection()) != 0) {
            return std::nullopt;
        }
        Display* display = x11->display();
        const auto scroll = IndicatorState(display, "Scroll Lock");
        const auto num = IndicatorState(display, "Num Lock");
        const auto caps = IndicatorState(display, "Caps Lock");
        if (!scroll || !num || !caps) {
            return std::nullopt;
        }
        return KeyboardLockStates{*scroll, *num, *caps};
    };
}

}  // namespace zeb
