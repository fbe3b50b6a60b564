// The X server's lock states, asked the way the keyboard LEDs are given back. Runs on a real
// (virtual) X display: the test presses Caps Lock with xdotool and reads the change back.

#include "ui/DisplayLockStates.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

namespace zeb {
namespace {

bool PressCapsLock() {
    return std::system("xdotool key Caps_Lock") == 0;
}

TEST(DisplayLockStates, FollowTheServersCapsLock) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    }
    const LockStateQuery query = DisplayLockStateQuery();
    ASSERT_TRUE(query);
    const auto before = query();
    ASSERT_TRUE(before.has_value());

    ASSERT_TRUE(PressCapsLock());
    const auto toggled = query();
    ASSERT_TRUE(PressCapsLock());  // give the display its state back
    const auto after = query();

    ASSERT_TRUE(toggled.has_value());
    ASSERT_TRUE(after.has_value());
    EXPECT_NE(toggled->caps, before->caps);
    EXPECT_EQ(toggled->num, before->num);
    EXPECT_EQ(toggled->scroll, before->scroll);
    EXPECT_EQ(after->caps, before->caps);
}

TEST(DisplayLockStates, WithoutAnXDisplayThereIsNothingToAsk) {
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        GTEST_SKIP() << "runs on a display without X";
    }
    EXPECT_FALSE(DisplayLockStateQuery());
}

}  // namespace
}  // namespace zeb

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
