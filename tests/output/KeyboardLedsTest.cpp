// The keyboard-LED driver at its system boundary, and the output that drives it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeSystemCalls.h"
#include "output/keyboard/KeyboardLedOutput.h"
#include "output/keyboard/KeyboardLedsWithFallback.h"
#include "output/keyboard/LedClassKeyboardLeds.h"
#include "output/keyboard/LinuxKeyboardLeds.h"
#include "support/TempDir.h"

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
    AddInputDevice(1, false, 0);  // a keyboard without permission
    EXPECT_FALSE(keyboard.Open());
    EXPECT_FALSE(keyboard.IsOpen());
    EXPECT_FALSE(keyboard.SetLeds(true, true, true));
    // For the message's log line: where it looked, and why the keyboard would not open.
    EXPECT_EQ(keyboard.OpenProblem(),
              "no keyboard with Num, Caps and Scroll Lock LEDs opens for writing in /dev/input "
              "(/dev/input/event1: Permission denied)");
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

// A sysfs LED-class tree of keyboards in a temporary folder, driven through the real calls.
class LedClassTest : public ::testing::Test {
  protected:
    testing::TempDir tree;
    std::shared_ptr<SystemCalls> system = MakeLinuxSystemCalls();

    std::string Led(int input, const std::string& name) const {
        return tree.File("input" + std::to_string(input) + "::" + name);
    }
    void AddKeyboard(int input, const std::array<const char*, 3>& triggers,
                     const char* brightness = "0\n") {
        const char* names[] = {"numlock", "capslock", "scrolllock"};
        for (int i = 0; i < 3; ++i) {
            std::filesystem::create_directory(Led(input, names[i]));
            testing::WriteBytes(Led(input, names[i]) + "/brightness", brightness);
            testing::WriteBytes(Led(input, names[i]) + "/trigger",
                                std::string("none kbd-numlock kbd-capslock ") + triggers[i]);
        }
    }
    std::string Read(int input, const std::string& name, const std::string& file) const {
        return testing::ReadBytes(Led(input, name) + "/" + file);
    }
    std::string Brightness(int input) const {
        return Read(input, "numlock", "brightness").substr(0, 1) +
               Read(input, "capslock", "brightness").substr(0, 1) +
               Read(input, "scrolllock", "brightness").substr(0, 1);
    }
};

TEST_F(LedClassTest, DrivesTheLowestKeyboardWithTriggersOffThenGivesThemBack) {
    AddKeyboard(7, {"[kbd-numlock]", "[kbd-capslock]", "[kbd-scrolllock]"});
    AddKeyboard(3, {"[kbd-numlock]", "[kbd-capslock]", "[none]"}, "1\n");
    std::filesystem::create_directory(tree.File("input1::numlock"));  // a keyboard with one LED
    std::optional<KeyboardLockStates> server =
        KeyboardLockStates{/*scroll=*/false, /*num=*/false, /*caps=*/true};
    auto keyboard = std::make_unique<LedClassKeyboardLeds>(system, tree.Path().string(),
                                                           [&server] { return server; });

    ASSERT_TRUE(keyboard->Open());
    EXPECT_EQ(Read(3, "numlock", "trigger"), "none");
    EXPECT_EQ(Read(3, "capslock", "trigger"), "none");
    ASSERT_TRUE(keyboard->SetLeds(/*scroll=*/true, /*num=*/false, /*caps=*/true));
    EXPECT_EQ(Brightness(3), "011");
    EXPECT_EQ(Brightness(7), "000");
    EXPECT_EQ(Read(7, "numlock", "trigger"), "none kbd-numlock kbd-capslock [kbd-numlock]");

    // The triggers come back. The display server's lit Caps Lock is lit over its trigger; Num
    // Lock, dark for the server, is left to its trigger (a 0 would remove it); the LED without
    // a trigger shows the server's state.
    ASSERT_TRUE(keyboard->SetLeds(true, true, false));
    ASSERT_TRUE(keyboard->RestoreLeds());
    EXPECT_EQ(Read(3, "numlock", "trigger"), "kbd-numlock");
    EXPECT_EQ(Read(3, "capslock", "trigger"), "kbd-capslock");
    EXPECT_EQ(Brightness(3), "110");

    // Driving again takes the triggers again; going away gives them back.
    ASSERT_TRUE(keyboard->SetLeds(false, false, false));
    EXPECT_EQ(Read(3, "capslock", "trigger"), "none");
    keyboard.reset();
    EXPECT_EQ(Read(3, "capslock", "trigger"), "kbd-capslock");
}

TEST_F(LedClassTest, TheInputDeviceServesWhenTheLedFilesAreMissingOrNotWritable) {
    const auto fake = std::make_shared<FakeSystemCalls>();
    fake->directories["/dev/input"] = {"event4"};
    fake->openable.insert("/dev/input/event4");
    fake->ledsOf["/dev/input/event4"] = 0;
    const auto withFallback = [&] {
        return KeyboardLedsWithFallback(
            std::make_unique<LedClassKeyboardLeds>(system, tree.Path().string()),
            std::make_unique<LinuxKeyboardLeds>(fake));
    };

    auto missing = withFallback();  // no LED files at all
    ASSERT_TRUE(missing.Open());
    EXPECT_TRUE(missing.SetLeds(false, true, false));
    EXPECT_EQ(fake->calls.back(), LedWrite("/dev/input/event4", 1, 0, 0));
    missing.Close();

    // A brightness that cannot be opened for writing (a folder here: root may write any file).
    AddKeyboard(2, {"[kbd-numlock]", "[kbd-capslock]", "[kbd-scrolllock]"});
    std::filesystem::remove(Led(2, "scrolllock") + "/brightness");
    std::filesystem::create_directory(Led(2, "scrolllock") + "/brightness");
    fake->calls.clear();
    auto unwritable = withFallback();
    ASSERT_TRUE(unwritable.Open());
    EXPECT_THAT(fake->calls, ElementsAre("open /dev/input/event4"));
    EXPECT_EQ(Read(2, "numlock", "trigger"), "none kbd-numlock kbd-capslock [kbd-numlock]");

    // Neither way: the message's log line names what was tried, with the system's reasons.
    fake->openable.clear();
    auto neither = withFallback();
    EXPECT_FALSE(neither.Open());
    EXPECT_EQ(neither.OpenProblem(),
              Led(2, "scrolllock") +
                  "/brightness: Is a directory; no keyboard with Num, Caps and Scroll Lock LEDs "
                  "opens for writing in /dev/input (/dev/input/event4: Permission denied)");

    // Writable LED files win over the input device.
    std::filesystem::remove(Led(2, "scrolllock") + "/brightness");
    testing::WriteBytes(Led(2, "scrolllock") + "/brightness", "0");
    fake->calls.clear();
    auto preferred = withFallback();
    ASSERT_TRUE(preferred.Open());
    EXPECT_TRUE(preferred.SetLeds(true, false, false));
    EXPECT_EQ(Brightness(2), "001");
    EXPECT_TRUE(fake->calls.empty());
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
