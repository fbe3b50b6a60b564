#pragma once
// Tempo tracking on a thread of its own: takes every sample the capture appends to its ring,
// hop by hop, through the tempo analyser, and leaves the newest beat it heard in a one-slot
// mailbox for the program's thread. The engine tick never waits for it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "audio/TempoAnalyser.h"
#include "engine/BeatReport.h"

namespace zeb {

class SampleRing;

class TempoTracker {
  public:
    // How often the tracker looks at a ring of `capacity` samples filling at `rate`: every
    // 200 ms, or every time half the ring has filled when that comes sooner (at the higher
    // rates), so no sample is overwritten before it is taken. The flashes come from the tempo
    // and phase predicted ahead, so a beat heard that late loses nothing; each look is a
    // wake-up of the thread, which on a virtual machine costs more than the analysis of the
    // samples it finds.
    static std::chrono::milliseconds LookInterval(uint32_t rate, size_t capacity);

    // Follows the captures of `ring`, each with a new analyser from `entry`.
    TempoTracker(const SampleRing& ring, TempoModuleEntry entry);
    ~TempoTracker();
    TempoTracker(const TempoTracker&) = delete;
    TempoTracker& operator=(const TempoTracker&) = delete;

    // The newest beat heard since the last call, if any.
    std::optional<BeatReport> Take();

  private:
    void Run(const std::stop_token& stop);
    // Everything the ring holds beyond what was analysed already.
    void Analyse();

    const SampleRing& ring_;
    TempoModuleEntry entry_;
    // Owned by the tracker's thread.
    std::unique_ptr<TempoAnalyser> analyser_;
    uint64_t run_ = 0;
    uint32_t rate_ = 0;       // the run's
    uint64_t next_ = 0;       // the ring's number of the next sample to take
    uint64_t firstFed_ = 0;   // the ring's number of the analyser's first sample
    std::vector<float> hop_;  // samples of the hop being filled
    std::vector<float> taken_;

    std::mutex mailboxMutex_;
    std::optional<BeatReport> mailbox_;
    std::mutex waitMutex_;
    std::condition_variable_any wait_;
    std::jthread thread_;  // last: stopped and joined before the rest goes
};

}  // namespace zeb
