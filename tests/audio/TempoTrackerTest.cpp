// The tempo tracker's thread: it takes every sample the capture appends, hop by hop, and hands
// the program's thread each beat stamped with the moment its sample was captured; it looks
// often enough that a small ring loses nothing between two looks.

#include "audio/TempoTracker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "Eventually.h"
#include "audio/SampleRing.h"

namespace zeb {
namespace {

using namespace std::chrono_literals;

constexpr size_t kHop = 100;

// Hears a beat wherever a sample is 1: its position counted from the first sample fed.
class MarkedBeats final : public TempoAnalyser {
  public:
    size_t HopSize() const override { return kHop; }
    std::optional<uint64_t> Hop(std::span<const float> samples) override {
        std::optional<uint64_t> beat;
        for (size_t i = 0; i < samples.size(); ++i) {
            if (samples[i] == 1.0f) {
                beat = fed_ + i;
            }
        }
        fed_ += samples.size();
        return beat;
    }

  private:
    uint64_t fed_ = 0;
};

CaptureTime::duration Distance(CaptureTime a, CaptureTime b) {
    return a > b ? a - b : b - a;
}

void MakeMarkedBeats(uint32_t /*rate*/, std::unique_ptr<TempoAnalyser>& analyser) {
    analyser = std::make_unique<MarkedBeats>();
}

// Analysers made so far: the tracker makes a new one for each capture, and whenever it fell so
// far behind that the ring no longer held the samples it was to take next.
std::atomic<int> analysersMade{0};
void CountAnalysers(uint32_t rate, std::unique_ptr<TempoAnalyser>& analyser) {
    ++analysersMade;
    MakeMarkedBeats(rate, analyser);
}

TEST(TempoTracker, EachCaptureIsFollowedFromItsStartAndABeatCarriesItsSamplesCaptureTime) {
    SampleRing ring(16384);
    TempoTracker tracker(ring, &MakeMarkedBeats);
    const CaptureTime start = std::chrono::steady_clock::now();
    ring.Clear(1000);  // 1000 samples a second: one sample a millisecond
    std::vector<float> block(250, 0.0f);
    block[49] = 1.0f;  // the newest sample of the block arrives with it, this one 200 ms earlier
    ring.Append(block, start + 1s);
    std::optional<BeatReport> beat;
    ASSERT_TRUE(zeb::testing::Eventually([&] { return (beat = tracker.Take()).has_value(); }));
    EXPECT_LT(Distance(beat->beat, start + 800ms), 1us);
    EXPECT_FALSE(tracker.Take().has_value()) << "taken once";

    // A new capture: its samples are numbered afresh and analysed from its first.
    ring.Clear(1000);
    block.assign(300, 0.0f);
    block[150] = 1.0f;
    ring.Append(block, start + 5s);
    ASSERT_TRUE(zeb::testing::Eventually([&] { return (beat = tracker.Take()).has_value(); }));
    EXPECT_LT(Distance(beat->beat, start + 5s - 149ms), 1us);
}

TEST(TempoTracker, ASmallRingAtItsRateLosesNoSampleBetweenTwoLooks) {
    // 150 ms of samples: less than the tracker's longest wait between two looks.
    SampleRing ring(150);
    analysersMade = 0;
    TempoTracker tracker(ring, &CountAnalysers);
    ring.Clear(1000);
    const std::vector<float> block(10, 0.0f);
    auto due = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {  // a second, 10 samples every 10 ms, as a capture delivers
        due += 10ms;
        std::this_thread::sleep_until(due);
        ring.Append(block);
    }
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(analysersMade, 1) << "the tracker fell behind the ring and started afresh";
}

}  // namespace
}  // namespace zeb
