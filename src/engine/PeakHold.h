#pragma once
// The level tick: held input peaks with a constant decay, and the meter levels they give.

#include <cstdint>

#include "engine/EngineState.h"

namespace zeb {

// Amount each held peak sinks per level tick (about every 10 ms): a full-scale peak falls to
// silence in 22 ticks.
constexpr int32_t kPeakDecayPerTick = 1500;

// `level` is the capture's level query result: left level in bits 0..15, right in bits
// 16..31; kLevelFailed (all bits set) when the query failed, which lets the peaks decay.
void PeakHoldTick(EngineState& state, uint32_t level);

}  // namespace zeb
