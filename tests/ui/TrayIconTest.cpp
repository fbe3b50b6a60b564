// The tray icon control: adding and removing the icon, its picture and tip, and what presses on
// the icon do to the main window. The shell's reports are replayed through the icon's own signal;
// the whole program under a real notification area is tested end to end (tests/e2e/test_tray.py).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>
#include <vector>

#include "ui/TrayIcon.h"

namespace zeb {
namespace {

QIcon SolidIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::green);
    return QIcon(pixmap);
}

class TrayIconTest : public ::testing::Test {
  protected:
    TrayIconTest() : tray(&window) {
        tray.SetTrayIcon(SolidIcon());
        icon = tray.findChild<QSystemTrayIcon*>();
        // As the main window uses it: any press takes the icon away.
        QObject::connect(&tray, &cSysTray::MouseDown, [this](int button) {
            pressed.push_back(button);
            tray.SetInTray(false);
        });
    }
    void Hide() {
        window.hide();
        tray.SetInTray(true);
    }
    // The icon reports a press from inside its own mouse handler: the control acts on it only
    // once that handler has returned, so a handler that removes the icon deletes nothing Qt is
    // still dispatching to.
    void Press(QSystemTrayIcon::ActivationReason reason) {
        emit icon->activated(reason);
        EXPECT_TRUE(pressed.empty());
        EXPECT_TRUE(icon->isVisible());
        QCoreApplication::sendPostedEvents();
    }

    QWidget window;
    cSysTray tray;
    QSystemTrayIcon* icon = nullptr;
    std::vector<int> pressed;
};

TEST_F(TrayIconTest, TheIconIsAddedOnceAndRemovedOnce) {
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->isVisible());
    tray.SetInTray(true);
    tray.SetInTray(true);
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(icon->toolTip(), "ZEB");
    tray.SetInTray(false);
    EXPECT_FALSE(icon->isVisible());
}

TEST_F(TrayIconTest, ANullPictureIsIgnored) {
    tray.SetInTray(true);
    const qint64 before = icon->icon().cacheKey();
    tray.SetTrayIcon(QIcon());
    EXPECT_EQ(icon->icon().cacheKey(), before);
    EXPECT_FALSE(icon->icon().isNull());
}

TEST_F(TrayIconTest, ALeftPressRemovesTheIconAndShowsTheWindow) {
    Hide();
    Press(QSystemTrayIcon::Trigger);
    EXPECT_EQ(pressed, std::vector<int>{1});
    EXPECT_FALSE(icon->isVisible());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayIconTest, ARightPressRemovesTheIconButLeavesTheWindowHidden) {
    Hide();
    Press(QSystemTrayIcon::Context);
    EXPECT_EQ(pressed, std::vector<int>{2});
    EXPECT_FALSE(icon->isVisible());
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace zeb
