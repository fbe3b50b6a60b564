#include "engine/PeakHold.h"

#include <algorithm>

namespace zeb {

void PeakHoldTick(EngineState& state, std::optional<InputLevel> level) {
    // Decay before raise, so a steady level holds its peak exactly.
    state.PeakLeft = std::max(state.PeakLeft - kPeakDecayPerTick, 0);
    state.PeakRight = std::max(state.PeakRight - kPeakDecayPerTick, 0);
    if (level) {
        state.PeakLeft = std::max(state.PeakLeft, level->left);
        state.PeakRight = std::max(state.PeakRight, level->right);
    }
    state.MeterLeft = state.PeakLeft / 100.0;
    state.MeterRight = state.PeakRight / 100.0;
}

}  // namespace zeb
