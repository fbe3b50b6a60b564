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
#include <optional>
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
    // Forgets every sample (a new capture starts empty), at `rate` samples a second from now on.
    void Clear(uint32_t rate = 0);

    // For a reader that takes every sample in turn (the tempo tracker, on a thread of its own):
    // each Clear begins a new run of samples, numbered from 0.
    struct Taken {
        uint64_t run = 0;    // which run the samples belong to
        uint64_t first = 0;  // number of the first sample copied
        size_t count = 0;    // how many were copied
        uint32_t rate = 0;   // the run's samples a second
    };
    // Copies the samples of run `run` from number `first` on, as many as fit in `out`. A reader
    // of an older run, or one that fell so far behind that the ring no longer holds `first`,
    // gets the oldest samples held of the present run instead (`first` then says which).
    Taken CopyFrom(uint64_t run, uint64_t first, std::span<float> out) const;
    // When sample `sample` of run `run` was captured, from the arrival of the append that held
    // it; nullopt when that arrival is no longer known.
    std::optional<CaptureTime> CaptureTimeOf(uint64_t run, uint64_t sample) const;

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
        0;              // appends since the last Clear; the newest is at (count-1) % kArrivals
    uint64_t run_ = 0;  // Clears so far
    uint32_t rate_ = 0;
};

}  // namespace zeb
