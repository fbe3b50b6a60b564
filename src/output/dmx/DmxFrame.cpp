#include "output/dmx/DmxFrame.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/ChannelText.h"
#include "engine/EngineTick.h"

namespace zeb {

namespace {

uint8_t Level(const RangedValue& value) {
    return static_cast<uint8_t>(value.Value());
}

// How far the channel's band stood above the threshold the tick compared it with: the
// slider's in manual mode, the automatic threshold as the tick left it otherwise.
std::optional<double> Excess(const EngineState& state, const ChannelConfigs& channels,
                             bool automatic, size_t channel) {
    const ChannelConfig& config = channels[channel];
    const std::optional<int> band = BandOfCaption(config.bandCaption);
    // A channel on the beat has no band to measure: it flashes at the full level.
    if (!band || config.followsBeat) {
        return std::nullopt;
    }
    const double level = state.SpectrumBands[static_cast<size_t>(*band)];
    const double threshold = automatic ? static_cast<double>(state.AutoThreshold[channel])
                                       : config.threshold.Max() - config.threshold.Value();
    return level - threshold;
}

uint8_t DimmedLevel(const DmxSettings& settings, double excess) {
    const double share = std::clamp(excess / kDimmerRangeUnits, 0.0, 1.0);
    const double off = settings.offLevel.Value();
    const double on = settings.onLevel.Value();
    return static_cast<uint8_t>(std::lround(off + (on - off) * share));
}

}  // namespace

DmxFrame MakeDmxFrame(const DmxSettings& settings, const EngineState& state,
                      const ChannelConfigs& channels, bool automatic) {
    DmxFrame frame;
    frame.universe = static_cast<uint32_t>(settings.universe.Value());
    frame.startAddress = static_cast<uint16_t>(settings.startAddress.Value());
    frame.offLevel = Level(settings.offLevel);
    const bool gateClosed = state.PeakLeft <= kSilencePeak;
    for (size_t i = 0; i < kChannelCount; ++i) {
        uint8_t level = frame.offLevel;
        if (state.ChannelStates[i] == 1) {
            level = Level(settings.onLevel);
            if (settings.dimmer && !gateClosed) {
                if (const auto excess = Excess(state, channels, automatic, i)) {
                    level = DimmedLevel(settings, *excess);
                }
            }
        }
        frame.levels[i] = level;
    }
    return frame;
}

DmxFrame Darkened(DmxFrame frame) {
    frame.levels.fill(frame.offLevel);
    return frame;
}

DmxFrame DarkFrame(const DmxSettings& settings) {
    return MakeDmxFrame(settings, EngineState{}, ChannelConfigs{}, false);
}

}  // namespace zeb
