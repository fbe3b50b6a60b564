#pragma once
// The newest captured samples. The sound server's thread appends, the program's thread copies
// the newest ones out; this ring is the only thing the two threads share.
//
// Every append is stamped with the time the samples arrived, so the program's thread can also
// copy the samples that were the newest at a moment just past: what a look at the ring then
// would have found.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "audio/CaptureBackend.h"

namespace zeb {

class SampleRing {
  public:
    explicit SampleRing(size_t capacity);

    // Appends samples that arrived at `arrived`; when more arrive than the ring holds, the
    // oldest are overwritten. Times must not go backwards.
    void Append(std::span<const float> samples,
                CaptureTime arrived = std::chrono::steady_clock::now());
    // Copies the newest out.size() samples into out, oldest first. Where fewer have been
    // captured, the front of out is filled with zeros. Returns how many real samples it copied.
    size_t CopyNewest(std::span<float> out) const;
    // The same for the samples that had arrived by `when`. Samples the ring no longer holds
    // read as not captured.
    size_t CopyNewestAt(std::span<float> out, CaptureTime when) const;
    // Forgets every sample (a new capture starts empty).
    void Clear();

    size_t Capacity() const { return samples_.size(); }

  private:
    // How many samples had arrived since the last Clear by `when` (all of them if `when` is
    // later than the newest append). Called with the lock held.
    uint64_t ArrivedBy(CaptureTime when) const;
    // Copies the samples numbered end - out.size() .. end - 1 (counting from the last Clear).
    size_t CopyEndingAt(std::span<float> out, uint64_t end) const;

    struct Arrival {
        CaptureTime time;
        uint64_t before;  // samples appended since the last Clear before this append
        uint64_t total;   // and with it
    };
    // Appends of the last few hundred milliseconds, enough for any look back the program makes.
    static constexpr size_t kArrivals = 64;

    mutable std::mutex mutex_;
    std::vector<float> samples_;
    uint64_t total_ = 0;  // samples appended since the last Clear; sample n sits at n % size
    std::array<Arrival, kArrivals> arrivals_{};
    size_t arrivalCount_ =
        0;  // appends since the last Clear; the newest is at (count-1) % kArrivals
};

}  // namespace zeb
