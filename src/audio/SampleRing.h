#pragma once
// The newest captured samples. The sound server's thread appends, the UI thread copies the
// newest ones out; this ring is the only thing the two threads share.

#include <cstddef>
#include <mutex>
#include <span>
#include <vector>

namespace zeb {

class SampleRing {
  public:
    explicit SampleRing(size_t capacity);

    // Appends samples; when more arrive than the ring holds, the oldest are overwritten.
    void Append(std::span<const float> samples);
    // Copies the newest out.size() samples into out, oldest first. Where fewer have been
    // captured, the front of out is filled with zeros. Returns how many real samples it copied.
    size_t CopyNewest(std::span<float> out) const;
    // Forgets every sample (a new capture starts empty).
    void Clear();

    size_t Capacity() const { return samples_.size(); }

  private:
    mutable std::mutex mutex_;
    std::vector<float> samples_;
    size_t next_ = 0;    // where the next sample goes
    size_t filled_ = 0;  // how many positions hold captured samples
};

}  // namespace zeb
