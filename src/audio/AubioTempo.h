#pragma once
// aubio's tempo tracker as a TempoAnalyser: beats from the spectral-flux onsets of the hops.

#include <cstdint>
#include <memory>

#include "audio/TempoAnalyser.h"

namespace zeb {

class AubioTempo final : public TempoAnalyser {
  public:
    explicit AubioTempo(uint32_t rate);
    ~AubioTempo() override;
    AubioTempo(const AubioTempo&) = delete;
    AubioTempo& operator=(const AubioTempo&) = delete;

    size_t HopSize() const override { return hop_; }
    std::optional<uint64_t> Hop(std::span<const float> samples) override;

  private:
    struct Objects;
    size_t hop_;
    std::unique_ptr<Objects> objects_;
    size_t hopsPerSecond_ = 1;
    size_t quietHops_ = 0;  // hops in a row without sound, up to a second's worth
};

}  // namespace zeb
