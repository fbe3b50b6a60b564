#include "audio/Analysis.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <stdexcept>

namespace zeb {

namespace {
constexpr float kFullScale = 32768.0f;
}

uint32_t LevelWord(std::span<const float> samples) {
    float peak = 0.0f;
    for (const float s : samples) {
        peak = std::max(peak, std::fabs(s));
    }
    // NaN from a broken stream compares false everywhere and leaves the peak alone.
    const auto side = static_cast<uint32_t>(std::lround(std::min(peak * kFullScale, kFullScale)));
    return side | (side << 16);
}

FftMagnitudes::FftMagnitudes()
    : input_(fftwf_alloc_real(kFftSize)),
      output_(fftwf_alloc_complex(kFftBins + 1)),
      window_(std::make_unique<float[]>(kFftSize)) {
    if (!input_ || !output_) {
        throw std::bad_alloc();
    }
    // FFTW_ESTIMATE: planning takes no measurable time and leaves the buffers alone.
    plan_.reset(fftwf_plan_dft_r2c_1d(static_cast<int>(kFftSize), input_.get(), output_.get(),
                                      FFTW_ESTIMATE));
    if (!plan_) {
        throw std::runtime_error("cannot plan the FFT");
    }
    for (size_t n = 0; n < kFftSize; ++n) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(n) / kFftSize;
        window_[n] = static_cast<float>(0.5 * (1.0 - std::cos(phase)));
    }
}

void FftMagnitudes::Compute(std::span<const float, kFftSize> samples,
                            std::span<float, kFftBins> out) {
    float* in = input_.get();
    for (size_t n = 0; n < kFftSize; ++n) {
        in[n] = samples[n] * window_[n];
    }
    fftwf_execute(plan_.get());
    const fftwf_complex* x = output_.get();
    constexpr float kScale = 2.0f / kFftSize;
    for (size_t k = 0; k < kFftBins; ++k) {
        out[k] = std::sqrt(x[k][0] * x[k][0] + x[k][1] * x[k][1]) * kScale;
    }
}

}  // namespace zeb
