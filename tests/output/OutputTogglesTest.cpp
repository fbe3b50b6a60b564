#include <gtest/gtest.h>

#include "RecordingDevices.h"
#include "core/SwitchTexts.h"
#include "output/OutputToggles.h"

namespace zeb {
namespace {

using testing::CallLog;

class OutputTogglesTest : public ::testing::Test {
  protected:
    OutputSelection selection{ReadOutputMode("0"), ReadOnOff("0", kLptTexts),
                              ReadOnOff("0", kKeyboardTexts), "378"};
    ToggleColours colours;
};

TEST_F(OutputTogglesTest, SerialModeClickedTwiceSwitchesOff) {
    ToggleCom(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "COM");
    EXPECT_EQ(colours.label10, colours::Blue);
    ToggleCom(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "0");
    EXPECT_EQ(colours.label10, colours::Grey);
}

TEST_F(OutputTogglesTest, SerialModesExcludeEachOther) {
    colours.label11 = colours.label13 = colours.label14 = colours::Blue;  // stale colours
    ToggleCom(selection, colours);
    ToggleUsb8(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "USB8LED");
    EXPECT_EQ(colours.label14, colours::Blue);
    EXPECT_EQ(colours.label10, colours::Grey);
    EXPECT_EQ(colours.label11, colours::Grey);
    EXPECT_EQ(colours.label13, colours::Grey);

    ToggleFtdi(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "FTDI");
    EXPECT_EQ(colours.label11, colours::Blue);
    EXPECT_EQ(colours.label14, colours::Grey);

    ToggleUsb3(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "USB3LED");
    EXPECT_EQ(colours.label13, colours::Blue);
    EXPECT_EQ(colours.label11, colours::Grey);
    ToggleUsb3(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "0");
    EXPECT_EQ(colours.label13, colours::Grey);
}

TEST_F(OutputTogglesTest, SerialModesLeaveParallelAndKeyboardAlone) {
    selection.LptSwitch = ReadOnOff("LPT", kLptTexts);
    selection.KeyboardSwitch = ReadOnOff("1", kKeyboardTexts);
    colours.label9 = colours.label12 = colours.label5 = colours::Blue;
    ToggleCom(selection, colours);
    ToggleFtdi(selection, colours);
    ToggleFtdi(selection, colours);
    EXPECT_EQ(OnOffText(selection.LptSwitch, kLptTexts), "LPT");
    EXPECT_EQ(OnOffText(selection.KeyboardSwitch, kKeyboardTexts), "1");
    EXPECT_EQ(colours.label9, colours::Blue);
    EXPECT_EQ(colours.label12, colours::Blue);
    EXPECT_EQ(colours.label5, colours::Blue);
}

TEST_F(OutputTogglesTest, UnknownModeTextCountsAsNotSelected) {
    selection.OutputMode = ReadOutputMode("com");
    ToggleCom(selection, colours);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "COM");
}

TEST_F(OutputTogglesTest, ParallelPortInitialisesAccessWhenSwitchedOn) {
    CallLog log;
    testing::RecordingPort working(log, true);
    EXPECT_TRUE(ToggleLpt(selection, colours, working));
    EXPECT_EQ(OnOffText(selection.LptSwitch, kLptTexts), "LPT");
    EXPECT_EQ(colours.label9, colours::Blue);
    EXPECT_EQ(log, std::vector<std::string>{"port init"});

    EXPECT_TRUE(ToggleLpt(selection, colours, working));
    EXPECT_EQ(OnOffText(selection.LptSwitch, kLptTexts), "0");
    EXPECT_EQ(colours.label9, colours::Grey);
    EXPECT_EQ(log.size(), 1u) << "switching off touches no port";

    testing::RecordingPort missing(log, false);
    EXPECT_FALSE(ToggleLpt(selection, colours, missing));
    EXPECT_EQ(OnOffText(selection.LptSwitch, kLptTexts), "LPT");
    EXPECT_EQ(colours.label9, colours::Blue);
}

TEST_F(OutputTogglesTest, KeyboardTellsTheCallerToStartOrStop) {
    selection.OutputMode = ReadOutputMode("COM");
    colours.label10 = colours::Blue;
    EXPECT_EQ(ToggleKeyboard(selection, colours), KeyboardAction::Start);
    EXPECT_EQ(OnOffText(selection.KeyboardSwitch, kKeyboardTexts), "1");
    EXPECT_EQ(colours.label12, colours::Blue);
    EXPECT_EQ(ToggleKeyboard(selection, colours), KeyboardAction::Stop);
    EXPECT_EQ(OnOffText(selection.KeyboardSwitch, kKeyboardTexts), "0");
    EXPECT_EQ(colours.label12, colours::Grey);
    EXPECT_EQ(OutputModeText(selection.OutputMode), "COM");
    EXPECT_EQ(colours.label10, colours::Blue);
}

}  // namespace
}  // namespace zeb
