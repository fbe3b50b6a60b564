#include "audio/SampleRing.h"

#include <algorithm>

namespace zeb {

SampleRing::SampleRing(size_t capacity) : samples_(std::max<size_t>(capacity, 1)) {}

void SampleRing::Append(std::span<const float> samples) {
    const size_t size = samples_.size();
    if (samples.size() > size) {
        samples = samples.last(size);
    }
    std::lock_guard lock(mutex_);
    const size_t first = std::min(samples.size(), size - next_);
    std::copy_n(samples.begin(), first, samples_.begin() + static_cast<std::ptrdiff_t>(next_));
    std::copy(samples.begin() + static_cast<std::ptrdiff_t>(first), samples.end(),
              samples_.begin());
    next_ = (next_ + samples.size()) % size;
    filled_ = std::min(size, filled_ + samples.size());
}

size_t SampleRing::CopyNewest(std::span<float> out) const {
    std::lock_guard lock(mutex_);
    const size_t size = samples_.size();
    const size_t count = std::min({out.size(), filled_, size});
    const size_t missing = out.size() - count;
    std::fill_n(out.begin(), missing, 0.0f);
    // The newest `count` samples end just before next_, possibly wrapping round the end.
    const size_t start = (next_ + size - count) % size;
    const size_t first = std::min(count, size - start);
    auto dest = out.begin() + static_cast<std::ptrdiff_t>(missing);
    std::copy_n(samples_.begin() + static_cast<std::ptrdiff_t>(start), first, dest);
    std::copy_n(samples_.begin(), count - first, dest + static_cast<std::ptrdiff_t>(first));
    return count;
}

void SampleRing::Clear() {
    std::lock_guard lock(mutex_);
    next_ = 0;
    filled_ = 0;
}

}  // namespace zeb
