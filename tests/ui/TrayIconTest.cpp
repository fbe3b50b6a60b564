// The tray icon control: adding and removing the icon, its picture and tip, and what presses on
// the icon do to the main window. The shell's reports are replayed through the icon's own signal.

#include <gtest/gtest.h>

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
    EXPECT_TRUE(tray.InTray());
    EXPECT_TRUE(icon->isVisible());
    EXPECT_EQ(icon->toolTip(), "ZEB");
    tray.SetInTray(false);
    EXPECT_FALSE(tray.InTray());
    EXPECT_FALSE(icon->isVisible());
}

TEST_F(TrayIconTest, TipAndPictureChangeAtOnceWhileShownAndANullPictureIsIgnored) {
    tray.SetInTray(true);
    tray.SetTrayTip("Lights");
    EXPECT_EQ(icon->toolTip(), "Lights");
    EXPECT_EQ(tray.TrayTip(), "Lights");

    const qint64 before = icon->icon().cacheKey();
    tray.SetTrayIcon(QIcon());
    EXPECT_EQ(icon->icon().cacheKey(), before);
    EXPECT_FALSE(tray.TrayIcon().isNull());
}

TEST_F(TrayIconTest, ALeftPressRemovesTheIconAndShowsTheWindow) {
    Hide();
    emit icon->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(pressed, std::vector<int>{1});
    EXPECT_FALSE(icon->isVisible());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(TrayIconTest, ARightPressRemovesTheIconButLeavesTheWindowHidden) {
    Hide();
    emit icon->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(pressed, std::vector<int>{2});
    EXPECT_FALSE(icon->isVisible());
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace zeb
