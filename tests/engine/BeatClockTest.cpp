// The beat clock: the heard beats' tempo, the flashes it times, and the taps that override it.

#include "engine/BeatClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace zeb {
namespace {

using namespace std::chrono_literals;

class BeatClockTest : public ::testing::Test {
  protected:
    BeatClock::Time At(std::chrono::milliseconds ms) const { return origin + ms; }
    // Runs the clock every ms from `from` to `to`; the moments (ms) a flash came on.
    std::vector<long> FlashStarts(long from, long to) {
        std::vector<long> starts;
        for (long ms = from; ms < to; ++ms) {
            if (clock.Advance(At(std::chrono::milliseconds(ms))) && clock.FlashLit()) {
                starts.push_back(ms);
            }
        }
        return starts;
    }
    void Hear(long ms) { clock.Heard({At(std::chrono::milliseconds(ms))}); }

    const BeatClock::Time origin = BeatClock::Time{} + 1h;
    BeatClock clock;
};

TEST_F(BeatClockTest, FourSteadyBeatsPredictTheNextFlashesUntilTheBeatsStop) {
    for (long ms : {0, 500, 1000}) {
        Hear(ms);
    }
    EXPECT_FALSE(clock.Bpm(At(1010ms)).has_value()) << "three beats are no steady beat yet";
    Hear(1500);
    ASSERT_TRUE(clock.Bpm(At(1510ms)).has_value());
    EXPECT_NEAR(*clock.Bpm(At(1510ms)), 120.0, 0.01);
    // The flashes come at the predicted beats without further beats, until four and a half
    // beats have passed without one: then the beat is gone.
    EXPECT_EQ(FlashStarts(1520, 6000), (std::vector<long>{2000, 2500, 3000, 3500}));
    EXPECT_FALSE(clock.FlashLit());
    EXPECT_FALSE(clock.Bpm(At(3800ms)).has_value());
}

TEST_F(BeatClockTest, ABeatTheTrackerMissedKeepsTheTempoAndAnOffBeatStartsAfresh) {
    for (long ms : {0, 500, 1500, 2000}) {  // the beat at 1000 went unheard
        Hear(ms);
    }
    ASSERT_TRUE(clock.Bpm(At(2000ms)).has_value());
    EXPECT_NEAR(*clock.Bpm(At(2000ms)), 120.0, 0.01);
    Hear(2300);  // the music changed
    EXPECT_FALSE(clock.Bpm(At(2300ms)).has_value());
}

TEST_F(BeatClockTest, EverySecondBeatAndAFixedFlashLength) {
    clock.Configure(2, 40);
    for (long ms = 0; ms <= 4000; ms += 500) {
        Hear(ms);
    }
    EXPECT_EQ(FlashStarts(1520, 4039), (std::vector<long>{2000, 3000, 4000}));
    clock.Advance(At(4039ms));
    EXPECT_TRUE(clock.FlashLit());
    clock.Advance(At(4040ms));
    EXPECT_FALSE(clock.FlashLit());
}

TEST_F(BeatClockTest, FourTapsSetTheTempoUntilTheMusicDiffersForEightBeats) {
    for (long ms : {0, 400, 800, 1200}) {
        clock.Tap(At(std::chrono::milliseconds(ms)));
    }
    EXPECT_TRUE(clock.Tapped());
    EXPECT_NEAR(*clock.Bpm(At(1200ms)), 150.0, 0.01);
    EXPECT_EQ(FlashStarts(1201, 2100), (std::vector<long>{1600, 2000}));
    // The music goes on at 120 BPM: the taps hold for the first seven differing beats.
    long beat = 2100;
    for (int i = 0; i < 10; ++i, beat += 500) {
        Hear(beat);
    }
    // From its fourth beat on the music's tempo is steady, and differs: seven so far.
    EXPECT_TRUE(clock.Tapped());
    Hear(beat);
    EXPECT_FALSE(clock.Tapped());
    EXPECT_NEAR(*clock.Bpm(At(std::chrono::milliseconds(beat))), 120.0, 0.01);
}

TEST_F(BeatClockTest, TapsFarApartStartAgain) {
    for (long ms : {0, 400, 800, 3000}) {
        clock.Tap(At(std::chrono::milliseconds(ms)));
    }
    EXPECT_FALSE(clock.Tapped());
    EXPECT_FALSE(clock.Bpm(At(3000ms)).has_value());
}

}  // namespace
}  // namespace zeb
