#pragma once
// The DMX frame of one engine tick: the twelve channels as levels at twelve consecutive slots
// of one universe.

#include <array>
#include <cstdint>
#include <string>

#include "engine/EngineState.h"
#include "output/dmx/DmxSettings.h"

namespace zeb {

// In dimmer mode a lit channel's level rises linearly from the off level, with its band
// exactly at the threshold, to the on level this many band units above it (a unit is 10
// pixels of the spectrum bar, the unit of the thresholds).
constexpr double kDimmerRangeUnits = 5.0;

struct DmxFrame {
    uint32_t universe = 1;
    // Slot of channel 0, 1..501; channel i goes to slot startAddress + i.
    uint16_t startAddress = 1;
    std::array<uint8_t, kChannelCount> levels{};
    // What "dark" is on this universe: the level a final or abandoned frame sends.
    uint8_t offLevel = 0;

    bool operator==(const DmxFrame&) const = default;
};

// The frame after an engine tick: a lit channel at the on level (in dimmer mode, by how far
// its band stands above the threshold it was compared with), a dark one at the off level.
// The resting light of a silent input is at the on level.
DmxFrame MakeDmxFrame(const DmxSettings& settings, const EngineState& state,
                      const ChannelConfigs& channels, bool automatic);

// The same slots with every channel at the off level.
DmxFrame Darkened(DmxFrame frame);

// The slots `settings` name with every channel at the off level.
DmxFrame DarkFrame(const DmxSettings& settings);

}  // namespace zeb
