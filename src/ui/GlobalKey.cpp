#include "ui/GlobalKey.h"

#include <QGuiApplication>
#include <array>
#include <cstdlib>
#include <memory>

// After Qt: the X11 headers define macros (None, Bool, Status) that Qt's headers also use.
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace zeb {

namespace {

// Num Lock and Caps Lock must not stop the combination: it is grabbed with each of them.
constexpr uint16_t kLockModifiers = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
constexpr std::array<uint16_t, 4> kLockCombinations{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                    kLockModifiers};

uint16_t X11Modifiers(Qt::KeyboardModifiers modifiers) {
    uint16_t mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        mask |= XCB_MOD_MASK_1;
    }
    if (modifiers.testFlag(Qt::MetaModifier)) {
        mask |= XCB_MOD_MASK_4;
    }
    return mask;
}

xcb_connection_t* X11Connection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

Display* X11Display() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}

}  // namespace

GlobalKey::GlobalKey(QKeyCombination key, QObject* parent) : QObject(parent) {
    xcb_connection_t* connection = X11Connection();
    Display* display = X11Display();
    const int letter = key.key();
    if (connection == nullptr || display == nullptr || letter < Qt::Key_A || letter > Qt::Key_Z) {
        return;
    }
    root_ = static_cast<uint32_t>(DefaultRootWindow(display));
    keycode_ = static_cast<uint8_t>(XKeysymToKeycode(display, XK_a + (letter - Qt::Key_A)));
    modifiers_ = X11Modifiers(key.keyboardModifiers());
    if (keycode_ == 0) {
        return;
    }
    active_ = true;
    for (const uint16_t locks : kLockCombinations) {
        const xcb_void_cookie_t cookie =
            xcb_grab_key_checked(connection, 0, root_, modifiers_ | locks, keycode_,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        // Refused when another program holds the combination already.
        const std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
            xcb_request_check(connection, cookie), &std::free);
        active_ = active_ && error == nullptr;
    }
    if (!active_) {
        Ungrab();
        return;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

GlobalKey::~GlobalKey() {
    if (active_) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        Ungrab();
    }
}

void GlobalKey::Ungrab() {
    if (xcb_connection_t* connection = X11Connection()) {
        for (const uint16_t locks : kLockCombinations) {
            xcb_ungrab_key(connection, keycode_, root_, modifiers_ | locks);
        }
        xcb_flush(connection);
    }
}

bool GlobalKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & 0x7F;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    // Press and release events share one layout.
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (key->event != root_ || key->detail != keycode_ ||
        (key->state & ~kLockModifiers) != modifiers_) {
        return false;
    }
    if (type == XCB_KEY_RELEASE) {
        releasedAt_ = key->time;
    } else if (key->time != releasedAt_) {
        emit Pressed();
    }
    return true;
}

}  // namespace zeb
