#include <gtest/gtest.h>

#include "audio/CaptureBackend.h"
#include "engine/PeakHold.h"

namespace zeb {
namespace {

std::optional<InputLevel> Level(uint32_t left, uint32_t right) {
    return DecodeLevel(left | (right << 16));
}

TEST(PeakHold, SteadyLevelHoldsItsPeakExactly) {
    EngineState state;
    for (int tick = 0; tick < 5; ++tick) {
        PeakHoldTick(state, Level(5000, 7000));
    }
    EXPECT_EQ(state.PeakLeft, 5000);
    EXPECT_EQ(state.PeakRight, 7000);
    EXPECT_DOUBLE_EQ(state.MeterLeft, 50.0);
    EXPECT_DOUBLE_EQ(state.MeterRight, 70.0);
}

TEST(PeakHold, FullScalePeakDecaysToSilenceIn22Ticks) {
    EngineState state;
    PeakHoldTick(state, Level(32768, 32768));
    for (int tick = 1; tick <= 21; ++tick) {
        PeakHoldTick(state, Level(0, 0));
    }
    EXPECT_EQ(state.PeakLeft, 32768 - 21 * 1500);
    PeakHoldTick(state, Level(0, 0));
    EXPECT_EQ(state.PeakLeft, 0);
    EXPECT_EQ(state.PeakRight, 0);
    PeakHoldTick(state, Level(0, 0));
    EXPECT_EQ(state.PeakLeft, 0);  // never below silence
    EXPECT_DOUBLE_EQ(state.MeterLeft, 0.0);
}

TEST(PeakHold, FailedQueryOnlyDecays) {
    EngineState state;
    PeakHoldTick(state, Level(10000, 20000));
    PeakHoldTick(state, DecodeLevel(kLevelFailed));
    EXPECT_EQ(state.PeakLeft, 8500);
    EXPECT_EQ(state.PeakRight, 18500);
    EXPECT_DOUBLE_EQ(state.MeterRight, 185.0);
}

TEST(PeakHold, LouderInputRaisesThePeakAtOnce) {
    EngineState state;
    PeakHoldTick(state, Level(3000, 0));
    PeakHoldTick(state, Level(2000, 0));
    EXPECT_EQ(state.PeakLeft, 2000);  // 3000 - 1500 fell below the new level
    PeakHoldTick(state, Level(9000, 1));
    EXPECT_EQ(state.PeakLeft, 9000);
    EXPECT_EQ(state.PeakRight, 1);
}

}  // namespace
}  // namespace zeb
