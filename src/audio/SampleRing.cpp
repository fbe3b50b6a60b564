#include "audio/SampleRing.h"

#include <algorithm>

namespace zeb {

SampleRing::SampleRing(size_t capacity) : samples_(std::max<size_t>(capacity, 1)) {}

void SampleRing::Append(std::span<const float> samples, CaptureTime arrived) {
    const size_t size = samples_.size();
    const uint64_t appended = samples.size();
    if (samples.size() > size) {
        samples = samples.last(size);
    }
    std::lock_guard lock(mutex_);
    const auto next = static_cast<size_t>((total_ + appended - samples.size()) % size);
    const size_t first = std::min(samples.size(), size - next);
    std::copy_n(samples.begin(), first, samples_.begin() + static_cast<std::ptrdiff_t>(next));
    std::copy(samples.begin() + static_cast<std::ptrdiff_t>(first), samples.end(),
              samples_.begin());
    arrivals_[arrivalCount_ % kArrivals] = {arrived, total_, total_ + appended};
    total_ += appended;
    ++arrivalCount_;
}

size_t SampleRing::CopyNewest(std::span<float> out) const {
    std::lock_guard lock(mutex_);
    return CopyEndingAt(out, total_);
}

size_t SampleRing::CopyNewestAt(std::span<float> out, CaptureTime when) const {
    std::lock_guard lock(mutex_);
    return CopyEndingAt(out, ArrivedBy(when));
}

uint64_t SampleRing::ArrivedBy(CaptureTime when) const {
    // Newest first: the look back is short, so the match is among the first few.
    const size_t kept = std::min(arrivalCount_, kArrivals);
    for (size_t back = 1; back <= kept; ++back) {
        const Arrival& arrival = arrivals_[(arrivalCount_ - back) % kArrivals];
        if (arrival.time <= when) {
            return arrival.total;
        }
    }
    // Before every append still known: at most what the oldest of them found.
    return kept == 0 ? 0 : arrivals_[(arrivalCount_ - kept) % kArrivals].before;
}

size_t SampleRing::CopyEndingAt(std::span<float> out, uint64_t end) const {
    const size_t size = samples_.size();
    // Samples still held: the newest `size` of those appended.
    const uint64_t held = std::min<uint64_t>(total_, size);
    const uint64_t oldestHeld = total_ - held;
    const uint64_t wanted = std::min<uint64_t>(out.size(), end);
    const uint64_t from = std::max(end - wanted, oldestHeld);
    const auto count = static_cast<size_t>(end > from ? end - from : 0);
    const size_t missing = out.size() - count;
    std::fill_n(out.begin(), missing, 0.0f);
    const auto start = static_cast<size_t>(from % size);
    const size_t first = std::min(count, size - start);
    auto dest = out.begin() + static_cast<std::ptrdiff_t>(missing);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(start), first, dest);
    std::copy_n(samples_.begin(), count - first, dest + static_cast<std::ptrdiff_t>(first));
    return count;
}

void SampleRing::Clear(uint32_t rate) {
    std::lock_guard lock(mutex_);
    total_ = 0;
    arrivalCount_ = 0;
    ++run_;
    rate_ = rate;
}

SampleRing::Taken SampleRing::CopyFrom(uint64_t run, uint64_t first, std::span<float> out) const {
    std::lock_guard lock(mutex_);
    const uint64_t oldestHeld = total_ - std::min<uint64_t>(total_, samples_.size());
    if (run != run_ || first < oldestHeld) {
        first = oldestHeld;
    }
    first = std::min(first, total_);
    const auto count = static_cast<size_t>(std::min<uint64_t>(out.size(), total_ - first));
    CopyEndingAt(out.first(count), first + count);
    return {run_, first, count, rate_};
}

std::optional<CaptureTime> SampleRing::CaptureTimeOf(uint64_t run, uint64_t sample) const {
    std::lock_guard lock(mutex_);
    if (run != run_ || rate_ == 0) {
        return std::nullopt;
    }
    const size_t kept = std::min(arrivalCount_, kArrivals);
    for (size_t back = 1; back <= kept; ++back) {
        const Arrival& arrival = arrivals_[(arrivalCount_ - back) % kArrivals];
        if (arrival.before <= sample && sample < arrival.total) {
            // The newest sample of an append arrived with it, the others one sample time apart.
            const auto samplesBefore = static_cast<double>(arrival.total - 1 - sample);
            return arrival.time - std::chrono::duration_cast<CaptureTime::duration>(
                                      std::chrono::duration<double>(samplesBefore / rate_));
        }
    }
    return std::nullopt;
}

}  // namespace zeb
