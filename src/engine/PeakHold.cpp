#include "engine/PeakHold.h"

#include <algorithm>

#include "audio/CaptureBackend.h"

namespace zeb {

void PeakHoldTick(EngineState& state, uint32_t level) {
    // Decay before raise, so a steady level holds its peak exactly.
    state.PeakLeft = std::max(state.PeakLeft - kPeakDecayPerTick, 0);
    state.PeakRight = std::max(state.PeakRight - kPeakDecayPerTick, 0);
    if (level != kLevelFailed) {
        state.PeakLeft = std::max(state.PeakLeft, static_cast<int32_t>(level & 0xFFFFu));
        state.PeakRight = std::max(state.PeakRight, static_cast<int32_t>(level >> 16));
    }
    state.MeterLeft = state.PeakLeft / 100.0;
    state.MeterRight = state.PeakRight / 100.0;
}

}  // namespace zeb
