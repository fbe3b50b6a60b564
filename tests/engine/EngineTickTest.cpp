#include <gtest/gtest.h>

#include <algorithm>

#include "engine/EngineTick.h"

namespace zeb {
namespace {

constexpr int32_t kLoud = 5000;

class EngineTickTest : public ::testing::Test {
  protected:
    EngineTickTest() {
        state.PeakLeft = kLoud;
        for (auto& channel : channels) {
            channel.bandCaption = "0";
        }
    }
    void Tick(const std::string& mode = "0", const std::string& step = "1") {
        EngineTick(state, channels, mode == "AUTO", step);
    }
    bool Lit(int channel) const {
        const auto i = static_cast<size_t>(channel);
        EXPECT_EQ(state.lampLit[i], state.ChannelStates[i] == 1);
        EXPECT_EQ(state.indicatorVisible[i], state.ChannelStates[i] == 1);
        return state.ChannelStates[i] == 1;
    }
    int ShownRows(int firstSegment) const {
        const auto begin = state.meterSegments.begin() + firstSegment;
        return static_cast<int>(std::count(begin, begin + 12, true));
    }

    EngineState state;
    ChannelConfigs channels = DefaultChannelConfigs();
};

TEST_F(EngineTickTest, MeterRowsBottomUpWithStrictFirstRow) {
    const std::pair<double, int> cases[] = {{0, 0},       {10, 0},    {10.01, 1},
                                            {30, 2},      {59.99, 2}, {300, 11},
                                            {319.99, 11}, {320, 12},  {327.68, 12}};
    for (const auto& [level, rows] : cases) {
        state.MeterLeft = level;
        state.MeterRight = 30;
        Tick();
        EXPECT_EQ(ShownRows(0), rows) << level;
        // Shown rows are the lowest ones.
        for (int k = 0; k < 12; ++k) {
            EXPECT_EQ(state.meterSegments[static_cast<size_t>(k)], k < rows) << level;
        }
        EXPECT_EQ(ShownRows(12), 2) << "right column follows its own meter";
    }
}

TEST_F(EngineTickTest, SilenceGateKeepsOnlyTheRestingLight) {
    state.SpectrumBands.fill(30.0);
    for (auto& channel : channels) {
        channel.threshold.Set(25);
    }
    state.PeakLeft = 20;
    state.PeakRight = 30000;
    state.AutoThreshold.fill(3.0f);
    for (const char* mode : {"0", "AUTO"}) {
        Tick(mode);
        EXPECT_TRUE(Lit(0));
        for (int i = 1; i < kChannelCount; ++i) {
            EXPECT_FALSE(Lit(i)) << i;
        }
        EXPECT_EQ(state.ChannelByte, 1);
        for (const float t : state.AutoThreshold) {
            EXPECT_EQ(t, 3.0f);
        }
    }
    state.PeakLeft = 21;
    Tick();
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_TRUE(Lit(i)) << i;
    }
    EXPECT_EQ(state.ChannelByte, 255);
}

TEST_F(EngineTickTest, ManualThresholdIsSliderMaxMinusValue) {
    state.SpectrumBands[0] = 0.0;
    state.SpectrumBands[3] = 25.0;
    state.SpectrumBands[4] = 24.99;
    channels[0].threshold.Set(25);  // threshold 0: lit at a band reading 0
    channels[1].threshold.Set(0);   // threshold 25
    channels[1].bandCaption = "3";
    channels[2].threshold.Set(0);
    channels[2].bandCaption = "4";
    channels[3].threshold.Set(1);  // threshold 24, same band as channel 2
    channels[3].bandCaption = "4";
    channels[4].threshold.Set(24);  // threshold 1 at band level 0
    Tick();
    EXPECT_TRUE(Lit(0));
    EXPECT_TRUE(Lit(1));
    EXPECT_FALSE(Lit(2));
    EXPECT_TRUE(Lit(3));
    EXPECT_FALSE(Lit(4));
    EXPECT_EQ(state.ChannelByte, 0b1011);
}

TEST_F(EngineTickTest, HighChannelsAreNotInTheChannelByte) {
    for (int i = 0; i < kChannelCount; ++i) {
        channels[static_cast<size_t>(i)].threshold.Set(i >= 8 ? 25 : 0);
    }
    Tick();
    for (int i = 8; i < kChannelCount; ++i) {
        EXPECT_TRUE(Lit(i));
    }
    EXPECT_EQ(state.ChannelByte, 0);
}

TEST_F(EngineTickTest, CaptionNamingNoBandLeavesItsChannelDarkInBothModes) {
    state.SpectrumBands.fill(10.0);
    const char* captions[] = {"abc", "32", "-1", "", "1.5", " 7 "};
    for (size_t i = 0; i < std::size(captions); ++i) {
        channels[i].bandCaption = captions[i];
        channels[i].threshold.Set(25);
    }
    state.AutoThreshold.fill(4.0f);
    for (const char* mode : {"0", "AUTO"}) {
        Tick(mode);
        for (int i = 0; i < 5; ++i) {
            EXPECT_FALSE(Lit(i)) << mode << " caption " << captions[i];
            EXPECT_EQ(state.AutoThreshold[static_cast<size_t>(i)], 4.0f) << captions[i];
        }
        EXPECT_TRUE(Lit(5)) << mode << ": blanks around a band number are fine";
    }
}

TEST(ToggleAuto, FlipsModeAndCaptionColour) {
    OnOffSwitch mode;
    Colour caption = colours::Grey;
    ToggleAuto(mode, caption);
    EXPECT_TRUE(mode.On());
    EXPECT_EQ(caption, colours::Blue);
    ToggleAuto(mode, caption);
    EXPECT_FALSE(mode.On());
    EXPECT_EQ(caption, colours::Grey);
    mode = OnOffSwitch(false, "auto");  // a text the program does not know: manual
    ToggleAuto(mode, caption);
    EXPECT_TRUE(mode.On());
    EXPECT_FALSE(mode.UnknownText()) << "the program's own change replaces the unknown text";
}

}  // namespace
}  // namespace zeb
