#pragma once
// Level and spectrum of the newest captured samples, on the scales the spectrum folding and the
// engine's thresholds were tuned for.

#include <fftw3.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <type_traits>

namespace zeb {

constexpr size_t kFftSize = 2048;
constexpr size_t kFftBins = kFftSize / 2;  // magnitudes delivered: bins 0..1023

// Peak of |sample| times 32768, capped at 32768, in both 16-bit halves (left = low, right = high;
// the capture is mono, so both sides read the same).
uint32_t LevelWord(std::span<const float> samples);

// A 2048-point FFT of real samples, planned once. Not copyable: it owns the plan and its buffers.
class FftMagnitudes {
  public:
    FftMagnitudes();

    // Hann-windows the samples and writes 2|X[k]|/2048 for k = 0..1023 into out, so a full-scale
    // sine centred on a bin reads about 0.5 there and silence reads 0.
    void Compute(std::span<const float, kFftSize> samples, std::span<float, kFftBins> out);

  private:
    struct FreeFloats {
        void operator()(float* p) const { fftwf_free(p); }
    };
    struct FreeComplex {
        void operator()(fftwf_complex* p) const { fftwf_free(p); }
    };
    struct DestroyPlan {
        void operator()(fftwf_plan p) const { fftwf_destroy_plan(p); }
    };

    std::unique_ptr<float, FreeFloats> input_;
    std::unique_ptr<fftwf_complex, FreeComplex> output_;
    std::unique_ptr<std::remove_pointer_t<fftwf_plan>, DestroyPlan> plan_;
    std::unique_ptr<float[]> window_;
};

}  // namespace zeb
