// Folding 1024 FFT magnitudes into the 32 bands and redrawing the bar image, as the spectrum
// timer does up to 100 times a second. Target: median at most 10 us.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/SpectrumFolding.h"

namespace {

void BM_FoldSpectrum(benchmark::State& state) {
    std::array<float, zeb::kFftBufferSize> fft{};
    for (size_t k = 0; k < 1024; ++k) {
        // Music-like: loud low bins falling off towards the top, so bars of many heights.
        fft[k] = 0.5f / (1.0f + static_cast<float>(k) * 0.05f) *
                 (1.0f + 0.5f * std::sin(static_cast<float>(k)));
    }
    const zeb::RangedValue gain{0, 254, 200};
    zeb::SpectrumBandsArray bands{};
    std::vector<uint8_t> image;
    for (auto _ : state) {
        zeb::FoldSpectrum(fft, gain, bands, image);
        benchmark::DoNotOptimize(bands.data());
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FoldSpectrum)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
