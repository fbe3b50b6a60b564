#include "audio/TempoTracker.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

#include "audio/SampleRing.h"

namespace zeb {

namespace {

constexpr size_t kTakenAtOnce = 8192;
constexpr std::chrono::milliseconds kLongestLook{200};

}  // namespace

TempoTracker::TempoTracker(const SampleRing& ring, TempoModuleEntry entry)
    : ring_(ring),
      entry_(entry),
      taken_(kTakenAtOnce),
      thread_([this](const std::stop_token& stop) { Run(stop); }) {}

TempoTracker::~TempoTracker() {
    thread_.request_stop();
    // jthread joins on destruction; nothing else is left running.
}

std::optional<BeatReport> TempoTracker::Take() {
    std::lock_guard lock(mailboxMutex_);
    std::optional<BeatReport> beat = mailbox_;
    mailbox_.reset();
    return beat;
}

std::chrono::milliseconds TempoTracker::LookInterval(uint32_t rate, size_t capacity) {
    if (rate == 0) {
        return kLongestLook;
    }
    const std::chrono::milliseconds halfRing{capacity * 1000 / 2 / rate};
    return std::clamp(halfRing, std::chrono::milliseconds{1}, kLongestLook);
}

void TempoTracker::Run(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
        Analyse();
        std::unique_lock lock(waitMutex_);
        wait_.wait_for(lock, stop, LookInterval(rate_, ring_.Capacity()), [] { return false; });
    }
}

void TempoTracker::Analyse() {
    for (;;) {
        const SampleRing::Taken taken = ring_.CopyFrom(run_, next_, taken_);
        if (taken.run != run_ || taken.first != next_ || !analyser_) {
            // A new capture, or samples lost: the analysis starts afresh from here.
            run_ = taken.run;
            rate_ = taken.rate;
            firstFed_ = taken.first;
            hop_.clear();
            analyser_.reset();
            if (taken.rate > 0) {
                entry_(taken.rate, analyser_);
            }
        }
        next_ = taken.first + taken.count;
        if (taken.count == 0 || !analyser_) {
            return;
        }
        const size_t hopSize = analyser_->HopSize();
        for (size_t at = 0; at < taken.count;) {
            const size_t part = std::min(hopSize - hop_.size(), taken.count - at);
            hop_.insert(hop_.end(), taken_.begin() + static_cast<std::ptrdiff_t>(at),
                        taken_.begin() + static_cast<std::ptrdiff_t>(at + part));
            at += part;
            if (hop_.size() < hopSize) {
                break;
            }
            const std::optional<uint64_t> beat = analyser_->Hop(hop_);
            hop_.clear();
            if (!beat) {
                continue;
            }
            if (const auto captured = ring_.CaptureTimeOf(run_, firstFed_ + *beat)) {
                std::lock_guard lock(mailboxMutex_);
                mailbox_ = BeatReport{*captured};
            }
        }
        if (taken.count < taken_.size()) {
            return;
        }
    }
}

}  // namespace zeb
