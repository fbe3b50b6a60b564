#include "audio/SpectrumFolding.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace zeb {

namespace {

constexpr int kBarWidth = 12;
constexpr int kBarPitch = 13;  // bar plus a one-pixel gap
constexpr int kHighestBin = 1023;
constexpr int kMaxBarHeight = kSpectrumShownRows;
constexpr size_t kImageBytes = static_cast<size_t>(kSpectrumImageWidth) * kSpectrumImageRows + 1;

// Bins firstBin..lastBin (inclusive) make up one band; the logarithm of `scale` (10 + bin
// count) damps the wider high bands.
struct BandBins {
    int firstBin;
    int lastBin;
    double logScale;
};

std::array<BandBins, kBandCount> ComputeBandLayout() {
    std::array<BandBins, kBandCount> layout{};
    int consumed = 1;  // bins 0 and 1 (DC and the lowest bin) are never used
    for (int x = 0; x < kBandCount; ++x) {
        // Ties to even: the default rounding mode.
        int last = static_cast<int>(std::nearbyint(std::pow(2.0, x * 10.0 / 31.0)));
        last = std::min(last, kHighestBin);
        if (last <= consumed) {
            last = consumed + 1;  // every band gets at least one bin
        }
        const int scale = 10 + last - consumed;
        layout[static_cast<size_t>(x)] = {consumed + 1, last,
                                          std::log10(static_cast<double>(scale))};
        consumed = last;
    }
    return layout;
}

const std::array<BandBins, kBandCount>& BandLayout() {
    static const std::array<BandBins, kBandCount> layout = ComputeBandLayout();
    return layout;
}

// Bar height before capping. Magnitudes are meant to be non-negative and small; a broken
// back end (negative or non-finite values, absurd sizes) must not produce an undefined
// conversion, so NaN reads as an empty bar and huge values saturate.
int32_t BarHeight(float sum, double logScale) {
    const double y = std::nearbyint(std::sqrt(sum / logScale) * 1.7 * 127.0);
    if (!(y >= 0.0)) {
        return 0;
    }
    if (y >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(y);
}

void DrawBar(std::vector<uint8_t>& image, int band, int32_t height) {
    const int rows = std::min(height, kMaxBarHeight);
    for (int r = rows - 1; r >= 0; --r) {
        const size_t start =
            static_cast<size_t>(r) * kSpectrumImageWidth + static_cast<size_t>(kBarPitch * band);
        std::memset(image.data() + start, r + 1, kBarWidth);
    }
}

}  // namespace

void FoldSpectrum(std::span<const float, kFftBufferSize> fft, const RangedValue& slider2,
                  SpectrumBandsArray& bands, std::vector<uint8_t>& image) {
    image.assign(kImageBytes, 0);
    // Integer difference, halved exactly (an odd difference gives .5).
    const double gainOffset = static_cast<double>(slider2.Max() - slider2.Value()) / 2.0;
    const auto& layout = BandLayout();
    for (int x = 0; x < kBandCount; ++x) {
        const BandBins& bins = layout[static_cast<size_t>(x)];
        float sum = 0.0f;  // summed in single precision, bin by bin
        for (int k = bins.firstBin; k <= bins.lastBin; ++k) {
            sum += fft[static_cast<size_t>(k)];
        }
        const int32_t y = BarHeight(sum, bins.logScale);
        bands[static_cast<size_t>(x)] = (static_cast<double>(y) - gainOffset - 1.0) / 10.0;
        DrawBar(image, x, y);
    }
}

namespace {

template <typename Fetch>
void FetchAndFold(Fetch fetch, const RangedValue& slider2, SpectrumBandsArray& bands,
                  std::vector<uint8_t>& image) {
    std::array<float, kFftBufferSize> fft{};
    if (!fetch(fft.data())) {
        fft.fill(0.0f);  // whatever a failed fetch left behind, it folds as silence
    }
    FoldSpectrum(fft, slider2, bands, image);
}

}  // namespace

void UpdateSpectrum(CaptureBackend& backend, CaptureHandle handle, const RangedValue& slider2,
                    SpectrumBandsArray& bands, std::vector<uint8_t>& image) {
    FetchAndFold([&](float* fft) { return backend.ChannelGetData(handle, fft, kFftFlags2048); },
                 slider2, bands, image);
}

void UpdateSpectrumAt(CaptureBackend& backend, CaptureHandle handle, const RangedValue& slider2,
                      SpectrumBandsArray& bands, std::vector<uint8_t>& image, CaptureTime when) {
    FetchAndFold(
        [&](float* fft) { return backend.ChannelGetDataAt(handle, fft, kFftFlags2048, when); },
        slider2, bands, image);
}

std::array<uint32_t, 256> SpectrumPalette() {
    std::array<uint32_t, 256> palette{};
    palette.fill(0xFF000000u);
    for (uint32_t a = 1; a <= 127; ++a) {
        const uint32_t red = 2 * a;
        const uint32_t green = 256 - 2 * a;
        palette[a] = 0xFF000000u | (red << 16) | (green << 8);
    }
    return palette;
}

}  // namespace zeb
