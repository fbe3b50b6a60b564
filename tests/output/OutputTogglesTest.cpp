#include <gtest/gtest.h>

#include "RecordingDevices.h"
#include "output/OutputToggles.h"

namespace zeb {
namespace {

using testing::CallLog;

class OutputTogglesTest : public ::testing::Test {
  protected:
    OutputSelection selection{"0", "0", "0", "378"};
    ToggleColours colours;
};

TEST_F(OutputTogglesTest, SerialModeClickedTwiceSwitchesOff) {
    ToggleCom(selection, colours);
    EXPECT_EQ(selection.OutputMode, "COM");
    EXPECT_EQ(colours.label10, colours::Blue);
    ToggleCom(selection, colours);
    EXPECT_EQ(selection.OutputMode, "0");
    EXPECT_EQ(colours.label10, colours::Grey);
}

TEST_F(OutputTogglesTest, SerialModesExcludeEachOther) {
    colours.label11 = colours.label13 = colours.label14 = colours::Blue;  // stale colours
    ToggleCom(selection, colours);
    ToggleUsb8(selection, colours);
    EXPECT_EQ(selection.OutputMode, "USB8LED");
    EXPECT_EQ(colours.label14, colours::Blue);
    EXPECT_EQ(colours.label10, colours::Grey);
    EXPECT_EQ(colours.label11, colours::Grey);
    EXPECT_EQ(colours.label13, colours::Grey);

    ToggleFtdi(selection, colours);
    EXPECT_EQ(selection.OutputMode, "FTDI");
    EXPECT_EQ(colours.label11, colours::Blue);
    EXPECT_EQ(colours.label14, colours::Grey);

    ToggleUsb3(selection, colours);
    EXPECT_EQ(selection.OutputMode, "USB3LED");
    EXPECT_EQ(colours.label13, colours::Blue);
    EXPECT_EQ(colours.label11, colours::Grey);
    ToggleUsb3(selection, colours);
    EXPECT_EQ(selection.OutputMode, "0");
    EXPECT_EQ(colours.label13, colours::Grey);
}

TEST_F(OutputTogglesTest, SerialModesLeaveParallelAndKeyboardAlone) {
    selection.LptSwitch = "LPT";
    selection.KeyboardSwitch = "1";
    colours.label9 = colours.label12 = colours.label5 = colours::Blue;
    ToggleCom(selection, colours);
    ToggleFtdi(selection, colours);
    ToggleFtdi(selection, colours);
    EXPECT_EQ(selection.LptSwitch, "LPT");
    EXPECT_EQ(selection.KeyboardSwitch, "1");
    EXPECT_EQ(colours.label9, colours::Blue);
    EXPECT_EQ(colours.label12, colours::Blue);
    EXPECT_EQ(colours.label5, colours::Blue);
}

TEST_F(OutputTogglesTest, UnknownModeTextCountsAsNotSelected) {
    selection.OutputMode = "com";
    ToggleCom(selection, colours);
    EXPECT_EQ(selection.OutputMode, "COM");
}

TEST_F(OutputTogglesTest, ParallelPortInitialisesAccessWhenSwitchedOn) {
    CallLog log;
    testing::RecordingPort working(log, true);
    EXPECT_TRUE(ToggleLpt(selection, colours, working));
    EXPECT_EQ(selection.LptSwitch, "LPT");
    EXPECT_EQ(colours.label9, colours::Blue);
    EXPECT_EQ(log, std::vector<std::string>{"port init 0378"});

    EXPECT_TRUE(ToggleLpt(selection, colours, working));
    EXPECT_EQ(selection.LptSwitch, "0");
    EXPECT_EQ(colours.label9, colours::Grey);
    EXPECT_EQ(log.size(), 1u) << "switching off touches no port";

    testing::RecordingPort missing(log, false);
    EXPECT_FALSE(ToggleLpt(selection, colours, missing));
    EXPECT_EQ(selection.LptSwitch, "LPT");
    EXPECT_EQ(colours.label9, colours::Blue);
}

TEST_F(OutputTogglesTest, KeyboardTellsTheCallerToStartOrStop) {
    selection.OutputMode = "COM";
    colours.label10 = colours::Blue;
    EXPECT_EQ(ToggleKeyboard(selection, colours), KeyboardAction::Start);
    EXPECT_EQ(selection.KeyboardSwitch, "1");
    EXPECT_EQ(colours.label12, colours::Blue);
    EXPECT_EQ(ToggleKeyboard(selection, colours), KeyboardAction::Stop);
    EXPECT_EQ(selection.KeyboardSwitch, "0");
    EXPECT_EQ(colours.label12, colours::Grey);
    EXPECT_EQ(selection.OutputMode, "COM");
    EXPECT_EQ(colours.label10, colours::Blue);
}

}  // namespace
}  // namespace zeb
