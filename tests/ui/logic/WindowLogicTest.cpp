// The main window's display-free behaviour: hover colours, wheel editing of the bands, the
// width rule and the address list buttons.

#include "core/SwitchTexts.h"
#include "ui/logic/WindowLogic.h"

#include <gtest/gtest.h>

#include <limits>

namespace zeb {
namespace {

class WindowLogicTest : public ::testing::Test {
  protected:
    std::string& Band(int channel) {
        return model.channels[static_cast<size_t>(channel)].bandCaption;
    }
    Colour LabelColour(int channel) const {
        return state.bandLabelColours[static_cast<size_t>(channel)];
    }

    ProgramModel model;
    WindowState state;
    WindowLogic logic{model, state};
};

TEST_F(WindowLogicTest, WheelMovesAHighlightedBandWithinZeroToThirtyOne) {
    Band(7) = "29";
    logic.HoverBandLabel(7);
    logic.Wheel(120);
    EXPECT_EQ(Band(7), "30");
    logic.Wheel(120);
    logic.Wheel(120);
    logic.Wheel(120);
    EXPECT_EQ(Band(7), "31");
    EXPECT_EQ(state.markerLeftPixels, 15 + 13 * 31);

    Band(0) = "0";
    logic.ResetHover();
    logic.HoverBandLabel(0);
    logic.Wheel(-120);
    EXPECT_EQ(Band(0), "0");
    logic.Wheel(-360);
    EXPECT_EQ(Band(0), "0");
    EXPECT_EQ(Band(7), "31");  // no longer highlighted
}

TEST_F(WindowLogicTest, PartialWheelDeltasAddUpToWholeNotches) {
    Band(2) = "8";
    logic.HoverBandLabel(2);
    logic.Wheel(60);
    EXPECT_EQ(Band(2), "8");
    EXPECT_EQ(state.WheelRemainder, 60);
    logic.Wheel(60);
    EXPECT_EQ(Band(2), "9");
    EXPECT_EQ(state.WheelRemainder, 0);

    // The remainder keeps the sign of the sum: -130 is one notch down with -10 left over.
    logic.Wheel(-130);
    EXPECT_EQ(Band(2), "8");
    EXPECT_EQ(state.WheelRemainder, -10);
    logic.Wheel(250);  // 240: two notches
    EXPECT_EQ(Band(2), "10");
    EXPECT_EQ(state.WheelRemainder, 0);
}

TEST_F(WindowLogicTest, WheelOverTheBackgroundSpendsItsNotchesOnNothing) {
    logic.HoverBandLabel(1);
    logic.ResetHover();
    logic.Wheel(300);
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(Band(i), kDefaultBandCaptions[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(state.WheelRemainder, 60);
}

TEST_F(WindowLogicTest, LabelsHoveredWithoutCrossingTheBackgroundMoveTogether) {
    // Defaults: channel 3 shows band 12, channel 4 band 14.
    logic.HoverBandLabel(3);
    logic.HoverBandLabel(4);
    EXPECT_EQ(LabelColour(3), colours::BrightGreen);
    EXPECT_EQ(LabelColour(4), colours::BrightGreen);
    EXPECT_EQ(state.HoveredChannel, 4);
    EXPECT_EQ(state.markerLeftPixels, MarkerLeftPixels(14));

    logic.Wheel(120);
    EXPECT_EQ(Band(3), "13");
    EXPECT_EQ(Band(4), "15");
    EXPECT_EQ(state.markerLeftPixels, MarkerLeftPixels(15));
    EXPECT_EQ(Band(5), "20");
}

TEST_F(WindowLogicTest, MarkerSitsUnderTheBandAtNearestPixel) {
    EXPECT_EQ(MarkerLeftPixels(0), 15);  // 228 twips = 15.2 pixels
    EXPECT_EQ(MarkerLeftPixels(1), 28);
    EXPECT_EQ(MarkerLeftPixels(31), 418);
    EXPECT_FALSE(state.markerVisible);
    logic.HoverBandLabel(5);
    EXPECT_TRUE(state.markerVisible);
    EXPECT_EQ(state.markerLeftPixels, MarkerLeftPixels(20));
    logic.ResetHover();
    EXPECT_FALSE(state.markerVisible);
    EXPECT_EQ(state.HoveredChannel, 5);  // kept after the pointer leaves
}

TEST_F(WindowLogicTest, CaptionsThatNameNoBandCountAsZero) {
    Band(6) = "x";
    logic.HoverBandLabel(6);
    EXPECT_EQ(state.markerLeftPixels, MarkerLeftPixels(0));
    logic.Wheel(240);
    EXPECT_EQ(Band(6), "2");
    Band(6) = std::string(1, '\0');  // a caption missing from the settings file
    logic.Wheel(-120);
    EXPECT_EQ(Band(6), "0");
    Band(6) = " 30 ";
    logic.Wheel(120);
    EXPECT_EQ(Band(6), "31");
}

TEST_F(WindowLogicTest, NumbersOutsideTheBandsAreClampedNotReadAsZero) {
    // Hand-edited settings: whole numbers beyond 0..31 are still numbers; the wheel moves them
    // and clamps the result.
    Band(6) = "40";
    logic.HoverBandLabel(6);
    EXPECT_EQ(state.markerLeftPixels, MarkerLeftPixels(31));
    logic.Wheel(-120);
    EXPECT_EQ(Band(6), "31");

    Band(6) = "-3";
    logic.Wheel(120);
    EXPECT_EQ(Band(6), "0");
    EXPECT_EQ(state.markerLeftPixels, MarkerLeftPixels(0));

    Band(6) = "+5";
    logic.Wheel(120);
    EXPECT_EQ(Band(6), "6");

    Band(6) = "99999999999999999999999";
    logic.Wheel(-32760);
    EXPECT_EQ(Band(6), "31");
    Band(6) = "-99999999999999999999999";
    logic.Wheel(32760);
    EXPECT_EQ(Band(6), "0");
}

TEST_F(WindowLogicTest, ResetHoverKeepsSelectedTogglesBlue) {
    model.outputs.OutputMode = ReadOutputMode("FTDI");
    model.captions.label11 = colours::Blue;
    logic.HoverCaption(Caption::Com);
    EXPECT_EQ(model.captions.label10, colours::Blue);
    logic.ResetHover();
    EXPECT_EQ(model.captions.label10, colours::Grey);
    EXPECT_EQ(model.captions.label11, colours::Blue);

    // The comparisons are exact: "auto" is not "AUTO".
    model.AutoMode = ReadOnOff("auto", kAutoTexts);
    model.outputs.LptSwitch = ReadOnOff("LPT", kLptTexts);
    model.outputs.KeyboardSwitch = ReadOnOff("1", kKeyboardTexts);
    for (Caption caption :
         {Caption::Lpt, Caption::Com, Caption::UsbFtdi, Caption::Keyboard, Caption::UsbD3,
          Caption::UsbD8, Caption::Set, Caption::Auto, Caption::Add, Caption::Del}) {
        logic.HoverCaption(caption);
        EXPECT_EQ(logic.CaptionColour(caption), colours::Blue);
    }
    logic.ResetHover();
    EXPECT_EQ(logic.CaptionColour(Caption::Lpt), colours::Blue);
    EXPECT_EQ(logic.CaptionColour(Caption::Keyboard), colours::Blue);
    EXPECT_EQ(logic.CaptionColour(Caption::UsbFtdi), colours::Blue);
    for (Caption caption : {Caption::Com, Caption::UsbD3, Caption::UsbD8, Caption::Set,
                            Caption::Auto, Caption::Add, Caption::Del}) {
        EXPECT_EQ(logic.CaptionColour(caption), colours::Grey);
    }
}

TEST_F(WindowLogicTest, ResetHoverTurnsEveryBandLabelIdle) {
    logic.HoverBandLabel(0);
    logic.HoverBandLabel(11);
    logic.ResetHover();
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(LabelColour(i), colours::DarkGreen);
    }
}

TEST_F(WindowLogicTest, SetCollapsesOnlyTheExactExpandedWidth) {
    EXPECT_EQ(model.widthTwips, 9650.0f);
    logic.ToggleWidth();
    EXPECT_EQ(model.widthTwips, 6655.0f);
    EXPECT_EQ(TwipsToPixels(model.widthTwips), 444);
    logic.ToggleWidth();
    EXPECT_EQ(model.widthTwips, 9650.0f);
    EXPECT_EQ(TwipsToPixels(model.widthTwips), 643);
    model.widthTwips = 9645.0f;  // an older settings file
    logic.ToggleWidth();
    EXPECT_EQ(model.widthTwips, 9650.0f);
}

TEST_F(WindowLogicTest, AnyRestoredWidthConvertsToPixelsWithoutOverflow) {
    EXPECT_EQ(TwipsToPixels(0.0f), 0);
    EXPECT_EQ(TwipsToPixels(9000.0f), 600);
    EXPECT_EQ(TwipsToPixels(3.0e38f), std::numeric_limits<int>::max());
    EXPECT_EQ(TwipsToPixels(std::numeric_limits<float>::infinity()),
              std::numeric_limits<int>::max());
    EXPECT_EQ(TwipsToPixels(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST_F(WindowLogicTest, AddAndDelEditTheAddressList) {
    EXPECT_FALSE(logic.AddAddress());
    EXPECT_EQ(model.combo1.Count(), 0);

    state.text1 = "378";
    EXPECT_TRUE(logic.AddAddress());
    state.text1 = "E800";
    EXPECT_TRUE(logic.AddAddress());
    EXPECT_EQ(model.combo1.Entries(), (std::vector<std::string>{"378", "E800"}));
    EXPECT_EQ(model.combo1.Text(), "E800");

    ASSERT_TRUE(model.combo1.SetIndex(0));
    EXPECT_TRUE(logic.DeleteAddress());
    EXPECT_EQ(model.combo1.Entries(), std::vector<std::string>{"E800"});
    EXPECT_EQ(model.combo1.Index(), -1);
    // Nothing shown, nothing removed.
    EXPECT_FALSE(logic.DeleteAddress());
    EXPECT_EQ(model.combo1.Count(), 1);
}

}  // namespace
}  // namespace zeb
