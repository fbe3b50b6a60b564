#include <gtest/gtest.h>

#include <vector>

#include "engine/EngineTick.h"

namespace zeb {
namespace {

// Channel 0 in automatic mode, watching band 0, with the input loud enough to open the gate.
class AutoThresholdTest : public ::testing::Test {
  protected:
    AutoThresholdTest() { state.PeakLeft = 5000; }

    // Runs one tick with band 0 at `level`; returns whether channel 0 ended lit.
    bool Tick(double level, const std::string& step) {
        state.SpectrumBands[0] = level;
        EngineTick(state, channels, true, step);
        EXPECT_EQ(state.lampLit[0], state.ChannelStates[0] == 1);
        return state.ChannelStates[0] == 1;
    }
    float Threshold() const { return state.AutoThreshold[0]; }

    EngineState state;
    ChannelConfigs channels = DefaultChannelConfigs();
};

TEST_F(AutoThresholdTest, StepOneClimbsToASteadyBandThenRestsThere) {
    for (int tick = 1; tick <= 5; ++tick) {
        EXPECT_TRUE(Tick(5.0, "1")) << tick;
        EXPECT_EQ(Threshold(), static_cast<float>(tick));
    }
    for (int tick = 6; tick <= 9; ++tick) {
        EXPECT_FALSE(Tick(5.0, "1")) << tick;
        EXPECT_EQ(Threshold(), 5.0f) << tick;
    }
}

TEST_F(AutoThresholdTest, StepTwoOvershootsAndAlternates) {
    EXPECT_TRUE(Tick(5.0, "2"));
    EXPECT_EQ(Threshold(), 2.0f);
    EXPECT_TRUE(Tick(5.0, "2"));
    EXPECT_EQ(Threshold(), 4.0f);
    const std::vector<float> expected = {5, 6, 5, 6, 5};
    for (const float t : expected) {
        EXPECT_FALSE(Tick(5.0, "2"));
        EXPECT_EQ(Threshold(), t);
    }
}

TEST_F(AutoThresholdTest, OneTickOutcomes) {
    struct Case {
        float start;
        double level;
        const char* step;
        bool lit;
        float end;
    };
    const Case cases[] = {
        {3, 10, "4", true, 7},          // b >= t + s: lit, raised
        {3, 5, "4", false, 6},          // t <= b < t + s: fired, yet dark, t + s - 1
        {30, 31, "4", true, 30},        // raise to 34 refused
        {28, 100, "4", true, 32},       // raise to exactly 32 allowed
        {32, 40, "1", true, 32},        // raise to 33 refused
        {3, 2.5, "4", false, 2},        // b < t: lowered
        {0.5f, 0.2, "1", false, 0.5f},  // lowering below 0 refused
        {0, -1, "1", false, 0},         // negative band with threshold 0
        {1, 0.5, "1", false, 0},        // lowered to exactly 0
        {2, 2, "1", false, 2},          // equal fires, raise to 3, then back to 2
        {2, 2, " 2 ", false, 3},        // blanks around the step are fine
        {2, 2.5, "0.5", true, 2.5f},
    };
    for (const auto& c : cases) {
        state.AutoThreshold[0] = c.start;
        EXPECT_EQ(Tick(c.level, c.step), c.lit) << c.start << " " << c.level << " " << c.step;
        EXPECT_EQ(Threshold(), c.end) << c.start << " " << c.level << " " << c.step;
    }
}

TEST_F(AutoThresholdTest, StepTextWithoutNumberNeverRaises) {
    for (const char* step : {"", "x", "1x", "nan", "inf"}) {
        state.AutoThreshold[0] = 4.0f;
        EXPECT_TRUE(Tick(4.0, step)) << step;
        EXPECT_EQ(Threshold(), 4.0f) << step;
    }
    // A threshold above the band sinks one per tick, then the channel fires every tick.
    state.AutoThreshold[0] = 6.0f;
    EXPECT_FALSE(Tick(3.5, ""));
    EXPECT_FALSE(Tick(3.5, ""));
    EXPECT_EQ(Threshold(), 4.0f);
    EXPECT_FALSE(Tick(3.5, ""));
    EXPECT_EQ(Threshold(), 3.0f);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_TRUE(Tick(3.5, ""));
        EXPECT_EQ(Threshold(), 3.0f);
    }
}

TEST_F(AutoThresholdTest, RaiseIsSummedInDoubleAndStoredInSingle) {
    state.AutoThreshold[0] = 0.02f;
    Tick(10.0, "0.1");
    // 0.02f + 0.1 in double rounds to a different float than 0.02f + 0.1f summed in single.
    EXPECT_EQ(Threshold(), 0.11999999731779099f);
    EXPECT_NE(Threshold(), 0.02f + 0.1f);
}

TEST_F(AutoThresholdTest, ManualModeKeepsThresholdsForTheReturnToAutomatic) {
    Tick(5.0, "1");
    Tick(5.0, "1");
    ASSERT_EQ(Threshold(), 2.0f);
    state.SpectrumBands[0] = 0.0;
    EngineTick(state, channels, false, "1");
    EXPECT_EQ(Threshold(), 2.0f);
    EXPECT_TRUE(Tick(5.0, "1"));
    EXPECT_EQ(Threshold(), 3.0f);
}

TEST_F(AutoThresholdTest, EachChannelFollowsItsOwnThreshold) {
    channels[1].bandCaption = "0";
    state.AutoThreshold[1] = 9.0f;
    Tick(5.0, "1");
    EXPECT_TRUE(state.ChannelStates[0] == 1);
    EXPECT_EQ(state.AutoThreshold[0], 1.0f);
    EXPECT_EQ(state.ChannelStates[1], 0);
    EXPECT_EQ(state.AutoThreshold[1], 8.0f);
}

}  // namespace
}  // namespace zeb
