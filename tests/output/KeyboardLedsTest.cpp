// The keyboard-LED driver at its system boundary, and the output that drives it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeSystemCalls.h"
#include "output/KeyboardLedOutput.h"
#include "output/LinuxKeyboardLeds.h"

namespace zeb {
namespace {

using ::testing::_;
using ::testing::ElementsAre;
using testing::FakeSystemCalls;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrictMock;

// EV_LED = 17, LED_NUML/CAPSL/SCROLLL = 0/1/2, then EV_SYN SYN_REPORT.
std::string LedWrite(const std::string& path, int num, int caps, int scroll) {
    return "write " + path + " 17:0:" + std::to_string(num) + " 17:1:" + std::to_string(caps) +
           " 17:2:" + std::to_string(scroll) + " 0:0:0";
}

class LinuxKeyboardLedsTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakeSystemCalls> system = std::make_shared<FakeSystemCalls>();
    LinuxKeyboardLeds keyboard{system};

    void AddInputDevice(int number, bool openable, std::optional<uint8_t> leds) {
        const std::string path = "/dev/input/event" + std::to_string(number);
        system->directories["/dev/input"].push_back("event" + std::to_string(number));
        if (openable) {
            system->openable.insert(path);
        }
        if (leds) {
            system->ledsOf[path] = *leds;
        }
    }
};

TEST_F(LinuxKeyboardLedsTest, OpensTheFirstWritableDeviceWithTheThreeLeds) {
    system->directories["/dev/input"] = {"by-id", "mice", "mouse0"};
    AddInputDevice(10, true, 0);
    AddInputDevice(3, false, 0);            // keyboard without permission
    AddInputDevice(1, true, std::nullopt);  // power button: no LEDs
    AddInputDevice(2, true, 0);
    system->withoutLockLeds.insert("/dev/input/event2");  // only Num and Caps
    AddInputDevice(4, true, 0);
    ASSERT_TRUE(keyboard.Open());
    EXPECT_TRUE(keyboard.IsOpen());
    EXPECT_THAT(system->calls, ElementsAre("open /dev/input/event1", "close /dev/input/event1",
                                           "open /dev/input/event2", "close /dev/input/event2",
                                           "open /dev/input/event3", "open /dev/input/event4"));
}

TEST_F(LinuxKeyboardLedsTest, NoKeyboardMeansOpenFails) {
    AddInputDevice(0, true, std::nullopt);
    EXPECT_FALSE(keyboard.Open());
    EXPECT_FALSE(keyboard.IsOpen());
    EXPECT_FALSE(keyboard.SetLeds(true, true, true));
}

TEST_F(LinuxKeyboardLedsTest, SetsAllThreeLedsInOneWriteEndedBySync) {
    AddInputDevice(0, true, 0);
    ASSERT_TRUE(keyboard.Open());
    system->calls.clear();
    EXPECT_TRUE(keyboard.SetLeds(/*scroll=*/true, /*num=*/false, /*caps=*/true));
    EXPECT_THAT(system->calls, ElementsAre(LedWrite("/dev/input/event0", 0, 1, 1)));
}

TEST_F(LinuxKeyboardLedsTest, AnUnpluggedKeyboardIsLookedForAgainAboutOnceASecond) {
    AddInputDevice(0, true, 0);
    ASSERT_TRUE(keyboard.Open());
    system->writesFail = true;  // unplugged
    system->directories["/dev/input"].clear();
    system->calls.clear();
    EXPECT_FALSE(keyboard.SetLeds(false, true, false));
    EXPECT_THAT(system->calls,
                ElementsAre(LedWrite("/dev/input/event0", 1, 0, 0), "close /dev/input/event0"));

    system->writesFail = false;
    AddInputDevice(7, true, 0x02);  // plugged in again, with Caps Lock on
    system->calls.clear();
    for (int i = 1; i < LinuxKeyboardLeds::kCallsBetweenSearches; ++i) {
        EXPECT_FALSE(keyboard.SetLeds(false, true, false));
    }
    EXPECT_THAT(system->calls, ::testing::IsEmpty());
    EXPECT_TRUE(keyboard.SetLeds(false, true, false));
    EXPECT_THAT(system->calls,
                ElementsAre("open /dev/input/event7", LedWrite("/dev/input/event7", 1, 0, 0)));
    system->calls.clear();
    EXPECT_TRUE(keyboard.RestoreLeds());
    EXPECT_THAT(system->calls, ElementsAre(LedWrite("/dev/input/event7", 0, 1, 0)));
}

TEST_F(LinuxKeyboardLedsTest, AClosedKeyboardIsNotLookedFor) {
    AddInputDevice(0, true, 0);
    ASSERT_TRUE(keyboard.Open());
    keyboard.Close();
    system->calls.clear();
    for (int i = 0; i < 2 * LinuxKeyboardLeds::kCallsBetweenSearches; ++i) {
        EXPECT_FALSE(keyboard.SetLeds(true, true, true));
    }
    EXPECT_THAT(system->calls, ::testing::IsEmpty());
}

TEST_F(LinuxKeyboardLedsTest, RestoreShowsTheLockStatesFoundAtOpeningThenCloseReleases) {
    AddInputDevice(5, true, 0x06);  // Caps Lock and Scroll Lock were on
    ASSERT_TRUE(keyboard.Open());
    keyboard.SetLeds(false, true, false);
    system->calls.clear();
    EXPECT_TRUE(keyboard.RestoreLeds());
    keyboard.Close();
    EXPECT_FALSE(keyboard.IsOpen());
    EXPECT_THAT(system->calls,
                ElementsAre(LedWrite("/dev/input/event5", 0, 1, 1), "close /dev/input/event5"));
}

TEST_F(LinuxKeyboardLedsTest, RestoreShowsTheDisplayServersLockStatesWhenItCanTell) {
    std::optional<KeyboardLockStates> server = KeyboardLockStates{
        /*scroll=*/false, /*num=*/true, /*caps=*/true};  // Caps Lock pressed meanwhile
    LinuxKeyboardLeds asking(system, [&server] { return server; });
    AddInputDevice(5, true, 0x01);  // only Num Lock was on at opening
    ASSERT_TRUE(asking.Open());
    system->calls.clear();

    EXPECT_TRUE(asking.RestoreLeds());
    server.reset();  // the server cannot tell: the states from the opening
    EXPECT_TRUE(asking.RestoreLeds());

    EXPECT_THAT(system->calls, ElementsAre(LedWrite("/dev/input/event5", 1, 1, 0),
                                           LedWrite("/dev/input/event5", 1, 0, 0)));
}

class MockKeyboard : public KeyboardLedDevice {
  public:
    MOCK_METHOD(bool, Open, (), (override));
    MOCK_METHOD(bool, IsOpen, (), (const, override));
    MOCK_METHOD(bool, SetLeds, (bool scroll, bool num, bool caps), (override));
    MOCK_METHOD(bool, RestoreLeds, (), (override));
    MOCK_METHOD(void, Close, (), (override));
};

TEST(KeyboardLedOutput, StartsWithNumLockOnlyThenFollowsChannelsZeroToTwo) {
    StrictMock<MockKeyboard> keyboard;
    KeyboardLedOutput output(keyboard);
    InSequence order;
    EXPECT_CALL(keyboard, Open()).WillOnce(Return(true));
    EXPECT_CALL(keyboard, SetLeds(false, true, false)).WillOnce(Return(true));
    EXPECT_CALL(keyboard, SetLeds(false, false, false)).WillOnce(Return(false));  // all dark
    EXPECT_CALL(keyboard, SetLeds(false, false, true));                           // channel 1
    EXPECT_CALL(keyboard, SetLeds(true, true, false));  // channels 0 and 2
    EXPECT_CALL(keyboard, RestoreLeds());
    EXPECT_CALL(keyboard, Close());

    ASSERT_TRUE(output.Start());
    EXPECT_TRUE(output.Running());
    ChannelStatesArray channels{};
    output.Tick(channels);
    channels[1] = 1;
    output.Tick(channels);
    channels = {1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};  // channels past 2 are not shown
    output.Tick(channels);
    output.Stop();
    EXPECT_FALSE(output.Running());
}

TEST(KeyboardLedOutput, NoKeyboardMeansNotRunningAndNoLedWrites) {
    StrictMock<MockKeyboard> keyboard;
    KeyboardLedOutput output(keyboard);
    EXPECT_CALL(keyboard, Open()).WillOnce(Return(false));
    EXPECT_FALSE(output.Start());
    EXPECT_FALSE(output.Running());
    output.Tick(ChannelStatesArray{1, 1, 1});
    output.Stop();  // nothing to restore or close
}

TEST(KeyboardLedOutput, StartingTwiceKeepsTheOpenKeyboard) {
    StrictMock<MockKeyboard> keyboard;
    KeyboardLedOutput output(keyboard);
    EXPECT_CALL(keyboard, Open()).WillOnce(Return(true));
    EXPECT_CALL(keyboard, SetLeds(_, _, _)).Times(1);
    ASSERT_TRUE(output.Start());
    ASSERT_TRUE(output.Start());
}

}  // namespace
}  // namespace zeb
