#pragma once
// What the light engine works on: each channel's configuration (its band and threshold
// slider) and the state the ticks write (band levels, peaks, meters, automatic thresholds,
// lamps, the channel vector).

#include <array>
#include <cstdint>
#include <string>

#include "engine/LampColour.h"
#include "engine/ModelValues.h"

namespace zeb {

constexpr int kMeterSegmentCount = 24;  // 0..11 left column, 12..23 right column, bottom up

// One channel strip of the window.
struct ChannelConfig {
    // The band label's text; a whole number 0..31 names the band. Kept as text so that a
    // hand-edited caption survives a save unchanged.
    std::string bandCaption;
    // The threshold slider, 0..25; the manual threshold is Max - Value.
    RangedValue threshold{0, 25, 0};
    // The caption's step above 31, "B": the channel flashes on the beat and ignores its band
    // and threshold; the caption text keeps the band it had.
    bool followsBeat = false;
    // What the channel's colour lamps and its lamp circle light in.
    LampColour colour;
};

using ChannelConfigs = std::array<ChannelConfig, kChannelCount>;

// Band labels of a fresh start, channels 0..11.
inline constexpr std::array<const char*, kChannelCount> kDefaultBandCaptions = {
    "0", "4", "8", "12", "14", "20", "24", "29", "0", "0", "0", "0"};

ChannelConfigs DefaultChannelConfigs();

struct EngineState {
    // Written by the spectrum refresh, read by the engine tick. 0 before the first refresh.
    SpectrumBandsArray SpectrumBands{};
    // Held input peaks on the 0..32768 level scale, and the meters (peak / 100).
    int32_t PeakLeft = 0;
    int32_t PeakRight = 0;
    double MeterLeft = 0.0;
    double MeterRight = 0.0;
    // Automatic thresholds, 0..32, single precision; never saved.
    std::array<float, kChannelCount> AutoThreshold{};
    // Written completely by every engine tick.
    ChannelStatesArray ChannelStates{};
    int32_t ChannelByte = 0;
    // What the window shows of the last tick: lamp bright green (true) or dark green, the
    // indicator above the lamp shown or hidden, each meter segment shown or hidden.
    std::array<bool, kChannelCount> lampLit{};
    std::array<bool, kChannelCount> indicatorVisible{};
    std::array<bool, kMeterSegmentCount> meterSegments{};
};

}  // namespace zeb
