#include "audio/AubioTempo.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace zeb {

namespace {

constexpr smpl_t kNeverSilentDb = -1000;
// A second whose loudest hop stays below this (about -70 dB) is silence: no beat comes from it.
constexpr float kQuietestSound = 3e-4f;
// Far below any sound, so a hop of digital zeros still has a level aubio can take.
constexpr float kDither = 1e-9f;

// 512 samples (11.6 ms at 44.1 kHz) per hop and twice that per analysis window, scaled up for
// the higher rates a sound server may offer, so a hop always lasts about 10 ms.
size_t HopFor(uint32_t rate) {
    size_t hop = 512;
    while (hop * 44100 < static_cast<size_t>(rate) * 256) {
        hop *= 2;
    }
    return hop;
}

struct TempoDeleter {
    void operator()(aubio_tempo_t* tempo) const { del_aubio_tempo(tempo); }
};
struct VectorDeleter {
    void operator()(fvec_t* vector) const { del_fvec(vector); }
};

}  // namespace

struct AubioTempo::Objects {
    std::unique_ptr<aubio_tempo_t, TempoDeleter> tempo;
    std::unique_ptr<fvec_t, VectorDeleter> input;
    std::unique_ptr<fvec_t, VectorDeleter> output;
};

AubioTempo::AubioTempo(uint32_t rate) : hop_(HopFor(rate)), objects_(std::make_unique<Objects>()) {
    char method[] = "default";
    objects_->tempo.reset(
        new_aubio_tempo(method, static_cast<uint_t>(hop_ * 2), static_cast<uint_t>(hop_), rate));
    objects_->input.reset(new_fvec(static_cast<uint_t>(hop_)));
    objects_->output.reset(new_fvec(1));
    if (objects_->tempo) {
        // aubio drops a beat that falls in a silent hop, and the gap before a click often is
        // one; silence is judged over a whole second below instead.
        aubio_tempo_set_silence(objects_->tempo.get(), kNeverSilentDb);
    }
    hopsPerSecond_ = std::max<size_t>(1, rate / hop_);
    quietHops_ = hopsPerSecond_;  // no beat before the first sound
}

AubioTempo::~AubioTempo() = default;

std::optional<uint64_t> AubioTempo::Hop(std::span<const float> samples) {
    if (!objects_->tempo || !objects_->input || !objects_->output) {
        return std::nullopt;
    }
    fvec_t& input = *objects_->input;
    const size_t count = std::min<size_t>(samples.size(), input.length);
    float loudest = 0.0f;
    for (size_t i = 0; i < input.length; ++i) {
        const float sample = i < count ? samples[i] : 0.0f;
        loudest = std::max(loudest, std::abs(sample));
        input.data[i] = sample + ((i & 1) != 0 ? kDither : -kDither);
    }
    if (loudest >= kQuietestSound) {
        quietHops_ = 0;
    } else if (quietHops_ < hopsPerSecond_) {
        ++quietHops_;
    }
    aubio_tempo_do(objects_->tempo.get(), &input, objects_->output.get());
    if (objects_->output->data[0] == 0.0f || quietHops_ >= hopsPerSecond_) {
        return std::nullopt;
    }
    return aubio_tempo_get_last(objects_->tempo.get());
}

}  // namespace zeb
