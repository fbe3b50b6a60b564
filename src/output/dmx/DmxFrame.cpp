#include "output/dmx/DmxFrame.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/ChannelText.h"
#include "engine/EngineTick.h"

namespace zeb {

namespace {

constexpr uint32_t kFull = 255;

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

DmxPatch PatchOf(const DmxSettings& settings) {
    DmxPatch patch;
    patch.layout = settings.layout;
    patch.universe = static_cast<uint32_t>(settings.universe.Value());
    if (settings.layout == DmxLayout::Pixels) {
        patch.pixels = static_cast<uint16_t>(settings.pixels.Value());
        patch.mirror = settings.mirror;
    } else {
        patch.startAddress = static_cast<uint16_t>(settings.startAddress.Value());
    }
    return patch;
}

}  // namespace

const DmxFrame& DmxFrameMaker::Make(const DmxSettings& settings, const EngineState& state,
                                    const ChannelConfigs& channels, bool automatic) {
    const double gamma = settings.Gamma();
    if (tableGamma_ != gamma) {
        for (size_t i = 0; i < gammaTable_.size(); ++i) {
            const double linear = static_cast<double>(i) / kFull;
            gammaTable_[i] = static_cast<uint8_t>(std::lround(kFull * std::pow(linear, gamma)));
        }
        tableGamma_ = gamma;
    }
    frame_.patch = PatchOf(settings);
    const uint32_t brightness = static_cast<uint32_t>(settings.brightness.Value());
    const uint8_t offLevel = Level(settings.offLevel);
    // A channel at `level`: each primary times the level times the brightness, rounded.
    const auto slots = [&](const LampColour& colour, uint8_t level) {
        ChannelSlots out{};
        if (frame_.patch.layout == DmxLayout::Channels) {
            out[0] = Slot((level * brightness + kFull / 2) / kFull);
            return out;
        }
        const uint32_t scale = level * brightness;
        const auto scaled = [scale](uint8_t primary) {
            return (primary * scale + kFull * kFull / 2) / (kFull * kFull);
        };
        uint32_t red = scaled(colour.red);
        uint32_t green = scaled(colour.green);
        uint32_t blue = scaled(colour.blue);
        if (frame_.patch.layout == DmxLayout::Rgbw) {
            // White takes over the part the three primaries share.
            const uint32_t white = std::min({red, green, blue});
            red -= white;
            green -= white;
            blue -= white;
            out[3] = Slot(white);
        }
        out[0] = Slot(red);
        out[1] = Slot(green);
        out[2] = Slot(blue);
        return out;
    };
    const bool gateClosed = state.PeakLeft <= kSilencePeak;
    for (size_t i = 0; i < kChannelCount; ++i) {
        uint8_t level = offLevel;
        if (state.ChannelStates[i] == 1) {
            level = Level(settings.onLevel);
            if (settings.dimmer && !gateClosed) {
                if (const auto excess = Excess(state, channels, automatic, i)) {
                    level = DimmedLevel(settings, *excess);
                }
            }
        }
        frame_.levels[i] = slots(channels[i].colour, level);
        frame_.dark[i] = slots(channels[i].colour, offLevel);
    }
    return frame_;
}

DmxFrame MakeDmxFrame(const DmxSettings& settings, const EngineState& state,
                      const ChannelConfigs& channels, bool automatic) {
    DmxFrameMaker maker;
    return maker.Make(settings, state, channels, automatic);
}

DmxFrame Darkened(DmxFrame frame) {
    frame.levels = frame.dark;
    return frame;
}

}  // namespace zeb
