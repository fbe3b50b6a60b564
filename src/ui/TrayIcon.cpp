#include "ui/TrayIcon.h"

#include <QWidget>

namespace zeb {

// The shell icon is a child of the control, so it can be found as part of it.
cSysTray::cSysTray(QWidget* window, QObject* parent)
    : QObject(parent), window_(window), tray_(this) {
    tray_.setToolTip(tip_);
    // Queued: the icon reports a press from inside its own mouse handler, and a handler that
    // removes the icon there (as the main window's does) would delete the very widget Qt is
    // still dispatching to. The press is acted on once that dispatch is over.
    connect(&tray_, &QSystemTrayIcon::activated, this, &cSysTray::OnActivated,
            Qt::QueuedConnection);
}

cSysTray::~cSysTray() {
    SetInTray(false);
}

bool cSysTray::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void cSysTray::SetInTray(bool inTray) {
    if (inTray == inTray_) {
        return;
    }
    if (inTray) {
        tray_.setIcon(icon_);
        tray_.setToolTip(tip_);
        tray_.show();
        added_ = true;
    } else if (added_) {
        tray_.hide();
        added_ = false;
    }
    inTray_ = inTray;
}

void cSysTray::SetTrayIcon(const QIcon& icon) {
    if (icon.isNull()) {
        return;
    }
    icon_ = icon;
    if (added_) {
        tray_.setIcon(icon_);
    }
}

void cSysTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            emit MouseDown(1);
            if (window_ != nullptr) {
                window_->show();
                window_->raise();
                window_->activateWindow();
            }
            break;
        case QSystemTrayIcon::Context:
            emit MouseDown(2);
            break;
        case QSystemTrayIcon::MiddleClick:
            emit MouseDown(4);
            break;
        default:
            break;
    }
}

}  // namespace zeb
