#pragma once
// Writes test sound files: float WAV with the given rate and channel count, samples interleaved.

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace zeb::testing {

inline bool WriteWav(const std::string& path, const std::vector<float>& interleaved, int rate,
                     int channels) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return false;
    }
    const sf_count_t frames = static_cast<sf_count_t>(interleaved.size()) / channels;
    const bool written = sf_writef_float(file, interleaved.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

inline std::vector<float> Tone(double hertz, float amplitude, double seconds, int rate) {
    std::vector<float> samples(static_cast<size_t>(seconds * rate));
    for (size_t n = 0; n < samples.size(); ++n) {
        samples[n] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hertz *
                                                             static_cast<double>(n) / rate));
    }
    return samples;
}

}  // namespace zeb::testing
