#pragma once
// The engine tick: level meters, the silence gate, the manual or automatic channel decisions
// and the packed byte of channels 0..7. The output stage runs right after it.

#include <array>
#include <cstdint>
#include <string>

#include "engine/EngineState.h"
#include "engine/ModelValues.h"
#include "engine/Switches.h"

namespace zeb {

// Held left peak (0..32768 scale) at or below which the input counts as silent: every
// channel goes dark except channel 0, the resting light.
constexpr int32_t kSilencePeak = 20;
// Range of an automatic threshold; a raise or lowering that would leave it is refused.
constexpr float kAutoThresholdMin = 0.0f;
constexpr float kAutoThresholdMax = 32.0f;

// Meter level a segment row needs to be shown, bottom row first; row 0 needs strictly more.
inline constexpr std::array<double, kMeterSegmentCount / 2> kMeterRowLevels = {
    10, 30, 60, 90, 120, 150, 180, 210, 240, 270, 300, 320};

// One engine tick on `state`, with automatic thresholds when `automatic`, otherwise the
// sliders' ones; `autoStepText` is the "SPEED AUTO" list's current text. A channel whose band
// caption names no band 0..31 ends dark whenever the gate is open, in both modes, and its
// automatic threshold stays as it was. A channel that follows the beat is lit while `beatFlash`
// holds, gate open or closed; its automatic threshold stays as it was too.
void EngineTick(EngineState& state, const ChannelConfigs& channels, bool automatic,
                const std::string& autoStepText, bool beatFlash = false);

// Between ticks, at a beat flash's start or end: the channels that follow the beat lit or dark
// as `beatFlash` says, the rest as the last tick left them.
void ApplyBeatFlash(EngineState& state, const ChannelConfigs& channels, bool beatFlash);

// Channels 0..7 packed into one byte, bit i = channel i lit.
int32_t PackChannelByte(const ChannelStatesArray& states);

// The press on the "AUTO" caption: switches between automatic and manual thresholds and
// colours the caption (blue = automatic). No threshold is reset.
void ToggleAuto(OnOffSwitch& autoMode, Colour& label5);

}  // namespace zeb
