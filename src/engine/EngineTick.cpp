#include "engine/EngineTick.h"

#include <optional>

#include "engine/ChannelText.h"

namespace zeb {

namespace {

constexpr int kMeterRows = kMeterSegmentCount / 2;

void SetChannel(EngineState& state, int channel, bool lit) {
    const auto i = static_cast<size_t>(channel);
    state.lampLit[i] = lit;
    state.indicatorVisible[i] = lit;
    state.ChannelStates[i] = lit ? 1 : 0;
}

void UpdateMeterColumn(EngineState& state, int firstSegment, double level) {
    for (int row = 0; row < kMeterRows; ++row) {
        const double needed = kMeterRowLevels[static_cast<size_t>(row)];
        const bool shown = row == 0 ? level > needed : level >= needed;
        state.meterSegments[static_cast<size_t>(firstSegment + row)] = shown;
    }
}

void CloseGate(EngineState& state) {
    for (int i = 1; i < kChannelCount; ++i) {
        SetChannel(state, i, false);
    }
    SetChannel(state, 0, true);
}

std::optional<double> BandLevel(const EngineState& state, const ChannelConfig& channel) {
    const std::optional<int> band = BandOfCaption(channel.bandCaption);
    if (!band) {
        return std::nullopt;
    }
    return state.SpectrumBands[static_cast<size_t>(*band)];
}

void DecideManually(EngineState& state, const ChannelConfigs& channels) {
    for (int i = 0; i < kChannelCount; ++i) {
        const ChannelConfig& channel = channels[static_cast<size_t>(i)];
        if (channel.followsBeat) {
            continue;
        }
        const std::optional<double> level = BandLevel(state, channel);
        const int32_t threshold = channel.threshold.Max() - channel.threshold.Value();
        SetChannel(state, i, level && *level >= threshold);
    }
}

void DecideAutomatically(EngineState& state, const ChannelConfigs& channels,
                         std::optional<double> step) {
    for (int i = 0; i < kChannelCount; ++i) {
        if (channels[static_cast<size_t>(i)].followsBeat) {
            continue;
        }
        const std::optional<double> level = BandLevel(state, channels[static_cast<size_t>(i)]);
        if (!level) {
            SetChannel(state, i, false);
            continue;
        }
        float& threshold = state.AutoThreshold[static_cast<size_t>(i)];
        // Fires: lit, and the threshold climbs by the step (refused outside 0..32, or when the
        // step text holds no number).
        if (*level >= threshold) {
            SetChannel(state, i, true);
            if (step) {
                const auto raised = static_cast<float>(*step + static_cast<double>(threshold));
                if (raised >= kAutoThresholdMin && raised <= kAutoThresholdMax) {
                    threshold = raised;
                }
            }
        }
        // Deliberately not an else: compared again against the threshold as just raised, so a
        // channel that fired only barely ends the tick dark.
        if (*level < threshold) {
            SetChannel(state, i, false);
            const float lowered = threshold - 1.0f;
            if (lowered >= kAutoThresholdMin) {
                threshold = lowered;
            }
        }
    }
}

}  // namespace

void EngineTick(EngineState& state, const ChannelConfigs& channels, bool automatic,
                const std::string& autoStepText, bool beatFlash) {
    UpdateMeterColumn(state, 0, state.MeterLeft);
    UpdateMeterColumn(state, kMeterRows, state.MeterRight);

    if (state.PeakLeft <= kSilencePeak) {
        CloseGate(state);
    } else if (automatic) {
        DecideAutomatically(state, channels, AutoStepOf(autoStepText));
    } else {
        DecideManually(state, channels);
    }
    ApplyBeatFlash(state, channels, beatFlash);
}

void ApplyBeatFlash(EngineState& state, const ChannelConfigs& channels, bool beatFlash) {
    // Not held back by the silence gate: the gap after a beat is often quiet enough to close it
    // before the next. The beat itself goes within a second of silence.
    for (int i = 0; i < kChannelCount; ++i) {
        if (channels[static_cast<size_t>(i)].followsBeat) {
            SetChannel(state, i, beatFlash);
        }
    }
    state.ChannelByte = PackChannelByte(state.ChannelStates);
}

int32_t PackChannelByte(const ChannelStatesArray& states) {
    int32_t packed = 0;
    for (int i = 0; i < 8; ++i) {
        if (states[static_cast<size_t>(i)] == 1) {
            packed |= 1 << i;
        }
    }
    return packed;
}

void ToggleAuto(OnOffSwitch& autoMode, Colour& label5) {
    autoMode.Set(!autoMode.On());
    label5 = autoMode.On() ? colours::Blue : colours::Grey;
}

}  // namespace zeb
