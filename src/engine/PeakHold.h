#pragma once
// The level tick: held input peaks with a constant decay, and the meter levels they give.

#include <cstdint>
#include <optional>

#include "engine/EngineState.h"

namespace zeb {

// Amount each held peak sinks per level tick (about every 10 ms): a full-scale peak falls to
// silence in 22 ticks.
constexpr int32_t kPeakDecayPerTick = 1500;

// The input's level as the capture measured it, each side 0..32768.
struct InputLevel {
    int32_t left = 0;
    int32_t right = 0;
};

// `level` is nullopt when the capture could not tell it, which lets the peaks decay.
void PeakHoldTick(EngineState& state, std::optional<InputLevel> level);

}  // namespace zeb
