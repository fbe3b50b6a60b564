#pragma once
// Folding of the capture's FFT magnitudes into the 32 logarithmic bands the light engine
// watches, and the bar-graph image of those bands (8-bit palette indices, bottom row first).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/CaptureBackend.h"
#include "engine/ModelValues.h"

namespace zeb {

constexpr int kSpectrumImageWidth = 424;
constexpr int kSpectrumImageRows = 128;
// The top row of the buffer is never drawn into and never shown.
constexpr int kSpectrumShownRows = 127;
constexpr int kFftBufferSize = 1025;

// Folds fft[2..1023] into `bands` and redraws `image` (resized to 424 * 128 + 1 bytes and
// cleared first). `slider2` is the spectrum gain: every band is lowered by (Max - Value) / 20.
void FoldSpectrum(std::span<const float, kFftBufferSize> fft, const RangedValue& slider2,
                  SpectrumBandsArray& bands, std::vector<uint8_t>& image);

// Fetches the newest FFT of the running capture and folds it. A failed fetch folds silence.
void UpdateSpectrum(CaptureBackend& backend, CaptureHandle handle, const RangedValue& slider2,
                    SpectrumBandsArray& bands, std::vector<uint8_t>& image);
// The same with the FFT of the samples that had arrived by `when`.
void UpdateSpectrumAt(CaptureBackend& backend, CaptureHandle handle, const RangedValue& slider2,
                      SpectrumBandsArray& bands, std::vector<uint8_t>& image, CaptureTime when);

// Colour table of the image, as 0xFFRRGGBB: index 0 black, index a = 1..127 the colour of a
// bar row at height a (green at the bottom fading to red at the top), 128..255 black.
std::array<uint32_t, 256> SpectrumPalette();

}  // namespace zeb
