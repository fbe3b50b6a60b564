#include "audio/AubioTempo.h"

// The tracker's parts (peak picker, beat tracker, window helpers) are declared only for those
// who ask; the library exports them all, and its tempo object is built from them.
#define AUBIO_UNSTABLE 1
#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

namespace zeb {

namespace {

// A second whose loudest hop stays below this (about -70 dB) is silence: no beat comes from it.
constexpr float kQuietestSound = 3e-4f;
// aubio's own tempo object picks onset peaks above this share of the local mean.
constexpr smpl_t kPeakThreshold = 0.3;
// The beat tracker looks at about six seconds of onsets, anew every quarter of them.
constexpr double kObservedSeconds = 5.8;

// 512 samples (11.6 ms at 44.1 kHz) per hop and twice that per analysis window, scaled up for
// the higher rates a sound server may offer, so a hop always lasts about 10 ms.
size_t HopFor(uint32_t rate) {
    size_t hop = 512;
    while (hop * 44100 < static_cast<size_t>(rate) * 256) {
        hop *= 2;
    }
    return hop;
}

struct VectorDeleter {
    void operator()(fvec_t* vector) const { del_fvec(vector); }
};
struct FftDeleter {
    void operator()(aubio_fft_t* fft) const { del_aubio_fft(fft); }
};
struct PeakDeleter {
    void operator()(aubio_peakpicker_t* peaks) const { del_aubio_peakpicker(peaks); }
};
struct TrackerDeleter {
    void operator()(aubio_beattracking_t* tracker) const { del_aubio_beattracking(tracker); }
};
using Vector = std::unique_ptr<fvec_t, VectorDeleter>;

}  // namespace

// aubio's tempo object, step for step, built from its parts: its phase vocoder works out the
// phase of every bin (an arc tangent each), which the spectral-flux onsets never read and which
// was most of the tracker's time. The window, the magnitudes and their flux are taken here, in
// one pass each, with the same results.
struct AubioTempo::Objects {
    uint_t window = 0;
    uint_t observed = 0;  // onset values the beat tracker looks at
    uint_t step = 0;      // hops between two looks of the beat tracker
    Vector hann;
    Vector grain;     // the window's samples, weighted, its halves swapped as aubio's are
    Vector previous;  // the window's first half: the hop before
    Vector complex;
    Vector magnitudes;
    Vector magnitudesBefore;  // of the hop before, for the flux
    std::unique_ptr<aubio_fft_t, FftDeleter> fft;
    Vector flux;
    std::unique_ptr<aubio_peakpicker_t, PeakDeleter> peaks;
    Vector peak;
    std::unique_ptr<aubio_beattracking_t, TrackerDeleter> tracker;
    Vector onsets;  // the thresholded onset values the tracker looks at
    Vector beats;   // the tracker's answer: a count, then the beats' hops in the next step
    sint_t blockPosition = 0;
    uint64_t hopsDone = 0;

    bool Complete() const {
        return hann && grain && previous && complex && magnitudes && magnitudesBefore && fft &&
               flux && peaks && peak && tracker && onsets && beats;
    }
};

AubioTempo::AubioTempo(uint32_t rate) : hop_(HopFor(rate)), objects_(std::make_unique<Objects>()) {
    Objects& o = *objects_;
    const auto hop = static_cast<uint_t>(hop_);
    o.window = hop * 2;
    o.observed = std::max<uint_t>(4, aubio_next_power_of_two(static_cast<uint_t>(
                                         kObservedSeconds * rate / static_cast<double>(hop))));
    o.step = o.observed / 4;
    char window[] = "hanningz";
    o.hann.reset(new_aubio_window(window, o.window));
    o.grain.reset(new_fvec(o.window));
    o.previous.reset(new_fvec(o.window - hop));
    o.complex.reset(new_fvec(o.window));
    o.magnitudes.reset(new_fvec(o.window / 2 + 1));
    o.magnitudesBefore.reset(new_fvec(o.window / 2 + 1));
    o.fft.reset(new_aubio_fft(o.window));
    o.flux.reset(new_fvec(1));
    o.peaks.reset(new_aubio_peakpicker());
    if (o.peaks) {
        aubio_peakpicker_set_threshold(o.peaks.get(), kPeakThreshold);
    }
    o.peak.reset(new_fvec(1));
    o.tracker.reset(new_aubio_beattracking(o.observed, hop, rate));
    o.onsets.reset(new_fvec(o.observed));
    o.beats.reset(new_fvec(o.step));
    hopsPerSecond_ = std::max<size_t>(1, rate / hop_);
    quietHops_ = hopsPerSecond_;  // no beat before the first sound
}

AubioTempo::~AubioTempo() = default;

std::optional<uint64_t> AubioTempo::Hop(std::span<const float> samples) {
    Objects& o = *objects_;
    if (!o.Complete()) {
        return std::nullopt;
    }
    // The window holds the hop before, then this one, weighted; aubio swaps its halves before
    // the transform (which changes only the phases), so this hop comes first.
    const size_t count = std::min(samples.size(), hop_);
    const smpl_t* weight = o.hann->data;
    smpl_t* grain = o.grain->data;
    smpl_t* previous = o.previous->data;
    float loudest = 0.0f;
    for (size_t i = 0; i < hop_; ++i) {
        const float sample = i < count ? samples[i] : 0.0f;
        loudest = std::max(loudest, std::abs(sample));
        grain[i] = sample * weight[hop_ + i];
        grain[hop_ + i] = previous[i] * weight[i];
        previous[i] = sample;
    }
    if (loudest >= kQuietestSound) {
        quietHops_ = 0;
    } else if (quietHops_ < hopsPerSecond_) {
        ++quietHops_;
    }

    // The spectral flux: how far the magnitudes rose since the hop before, over all bins. The
    // transform's output holds the real parts up to the middle, then the imaginary parts
    // backwards.
    aubio_fft_do_complex(o.fft.get(), o.grain.get(), o.complex.get());
    const smpl_t* spectrum = o.complex->data;
    smpl_t* now = o.magnitudes->data;
    const smpl_t* before = o.magnitudesBefore->data;
    const uint_t middle = o.window / 2;
    const smpl_t* imaginaries = spectrum + o.window;  // bin b's imaginary part at -b
    now[0] = std::abs(spectrum[0]);
    for (std::ptrdiff_t bin = 1; bin < static_cast<std::ptrdiff_t>(middle); ++bin) {
        const smpl_t real = spectrum[bin];
        const smpl_t imaginary = imaginaries[-bin];
        now[bin] = std::sqrt(real * real + imaginary * imaginary);
    }
    now[middle] = std::abs(spectrum[middle]);
    smpl_t flux = 0;
    for (uint_t bin = 0; bin <= middle; ++bin) {
        flux += std::max(now[bin] - before[bin], smpl_t{0});
    }
    std::swap(o.magnitudes, o.magnitudesBefore);
    o.flux->data[0] = flux;

    // Every `step` hops the tracker looks at the onsets again and predicts the next beats.
    if (o.blockPosition == static_cast<sint_t>(o.step) - 1) {
        aubio_beattracking_do(o.tracker.get(), o.onsets.get(), o.beats.get());
        smpl_t* onsets = o.onsets->data;
        std::memmove(onsets, onsets + o.step, (o.observed - o.step) * sizeof(smpl_t));
        std::fill(onsets + (o.observed - o.step), onsets + o.observed, smpl_t{0});
        o.blockPosition = -1;
    }
    ++o.blockPosition;
    aubio_peakpicker_do(o.peaks.get(), o.flux.get(), o.peak.get());
    o.onsets->data[o.observed - o.step + static_cast<uint_t>(o.blockPosition)] =
        aubio_peakpicker_get_thresholded_input(o.peaks.get())->data[0];

    std::optional<uint64_t> beat;
    const uint64_t hopStart = o.hopsDone * hop_;
    ++o.hopsDone;
    const auto predicted = static_cast<uint_t>(o.beats->data[0]);
    for (uint_t i = 1; i < predicted && i < o.beats->length; ++i) {
        const smpl_t at = o.beats->data[i];
        if (o.blockPosition == static_cast<sint_t>(std::floor(at))) {
            const auto within = static_cast<uint64_t>(
                std::lround((at - std::floor(at)) * static_cast<smpl_t>(hop_)));
            beat = hopStart + within;
        }
    }
    if (quietHops_ >= hopsPerSecond_) {
        return std::nullopt;
    }
    return beat;
}

}  // namespace zeb
