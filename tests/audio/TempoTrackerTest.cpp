// The tempo tracker's thread: it takes every sample the capture appends, hop by hop, and hands
// the program's thread each beat stamped with the moment its sample was captured.

#include "audio/TempoTracker.h"

#include <gtest/gtest.h>

#include <optional>
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

}  // namespace
}  // namespace zeb
