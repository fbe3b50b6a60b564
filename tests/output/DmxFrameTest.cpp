// The DMX frame of an engine tick: which level each channel sends at which slot.

#include "output/dmx/DmxFrame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/EngineTick.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;

class DmxFrameTest : public ::testing::Test {
  protected:
    DmxFrameTest() {
        settings.universe.Set(3);
        settings.startAddress.Set(100);
        settings.onLevel.Set(200);
        settings.offLevel.Set(10);
        state.PeakLeft = 10000;  // the silence gate open
        // Every channel watches its own band; band i stands at i, the thresholds at 5.
        for (size_t i = 0; i < kChannelCount; ++i) {
            channels[i].bandCaption = std::to_string(i);
            channels[i].threshold.Set(20);
            state.SpectrumBands[i] = static_cast<double>(i);
        }
    }
    DmxFrame Tick(bool automatic = false) {
        EngineTick(state, channels, automatic, "1");
        return MakeDmxFrame(settings, state, channels, automatic);
    }
    // The level each channel sends (the Channels layout's one slot a channel).
    std::array<uint8_t, kChannelCount> Levels(bool automatic = false) {
        return FirstSlots(Tick(automatic));
    }
    static std::array<uint8_t, kChannelCount> FirstSlots(const DmxFrame& frame) {
        std::array<uint8_t, kChannelCount> levels{};
        for (size_t i = 0; i < kChannelCount; ++i) {
            levels[i] = frame.levels[i][0];
        }
        return levels;
    }

    DmxSettings settings;
    EngineState state;
    ChannelConfigs channels = DefaultChannelConfigs();
};

TEST_F(DmxFrameTest, LitChannelsSendTheOnLevelAndDarkOnesTheOffLevel) {
    const DmxFrame frame = Tick();
    EXPECT_EQ(frame.patch.universe, 3u);
    EXPECT_EQ(frame.patch.startAddress, 100);
    EXPECT_THAT(FirstSlots(frame),
                ElementsAre(10, 10, 10, 10, 10, 200, 200, 200, 200, 200, 200, 200));
    EXPECT_THAT(FirstSlots(Darkened(frame)), ::testing::Each(10));

    // Silence: the resting light of channel 0 alone, at the on level also in dimmer mode.
    settings.dimmer = true;
    state.PeakLeft = kSilencePeak;
    EXPECT_THAT(Levels(), ElementsAre(200, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10));
}

TEST_F(DmxFrameTest, DimmerFollowsHowFarTheBandStandsAboveTheThreshold) {
    settings.dimmer = true;
    // From the off level at the threshold (band 5) up to the on level five units above it.
    EXPECT_THAT(Levels(), ElementsAre(10, 10, 10, 10, 10, 10, 48, 86, 124, 162, 200, 200));

    // Automatic thresholds, against the threshold as the tick left it: on a first tick every
    // threshold climbs from 0 to 1, so band 0 ends dark, band 1 lit at the bottom of the range,
    // band 2 one unit up and band 11 at the top.
    EXPECT_THAT(Levels(true), ElementsAre(10, 10, 48, 86, 124, 162, 200, 200, 200, 200, 200, 200));

    // An off level above the on level dims the other way.
    settings.onLevel.Set(50);
    settings.offLevel.Set(250);
    EXPECT_EQ(Levels()[9], 90);  // manual again: 4 of 5 units from 250 towards 50
}

}  // namespace
}  // namespace zeb
