#pragma once
// The DMX frame of one engine tick: each channel's slots (its level, or its colour scaled by
// its level) and where they go: twelve consecutive slots, twelve colour fixtures, or the
// segments of an LED strip over up to four universes.

#include <array>
#include <cstdint>
#include <optional>

#include "engine/EngineState.h"
#include "output/dmx/DmxSettings.h"

namespace zeb {

// In dimmer mode a lit channel's level rises linearly from the off level, with its band
// exactly at the threshold, to the on level this many band units above it (a unit is 10
// pixels of the spectrum bar, the unit of the thresholds).
constexpr double kDimmerRangeUnits = 5.0;

// One channel's slots as sent: its level (Channels), red, green, blue (RGB, Pixels), or red,
// green, blue, white (RGBW). Unused entries are 0.
using ChannelSlots = std::array<uint8_t, 4>;
using ChannelSlotsArray = std::array<ChannelSlots, kChannelCount>;

// Which slots of which universes a frame fills.
struct DmxPatch {
    DmxLayout layout = DmxLayout::Channels;
    uint32_t universe = 1;
    // Slot of channel 0's first slot, 1..512; the Pixels layout starts at slot 1.
    uint16_t startAddress = 1;
    uint16_t pixels = 0;  // Pixels only
    bool mirror = false;  // Pixels only

    bool operator==(const DmxPatch&) const = default;
    // Whether two patches fill the same slots (they may still share them out differently).
    bool SameSlots(const DmxPatch& other) const {
        return layout == other.layout && universe == other.universe &&
               startAddress == other.startAddress && pixels == other.pixels;
    }
};

struct DmxFrame {
    DmxPatch patch;
    ChannelSlotsArray levels{};
    // What "dark" is on these slots: every channel at its off level, scaled as a lit one is.
    // A final or abandoned frame sends these.
    ChannelSlotsArray dark{};

    bool operator==(const DmxFrame&) const = default;
};

// Builds the frames of the ticks. Keeps its gamma table between ticks, so a tick neither
// allocates nor computes a power.
class DmxFrameMaker {
  public:
    // The frame after an engine tick: a lit channel at the on level (in dimmer mode, by how
    // far its band stands above the threshold it was compared with), a dark one at the off
    // level; on the colour layouts the channel's colour scaled by that level. Then every slot
    // scaled by the brightness and through the gamma. The resting light of a silent input is
    // at the on level.
    const DmxFrame& Make(const DmxSettings& settings, const EngineState& state,
                         const ChannelConfigs& channels, bool automatic);

  private:
    uint8_t Slot(uint32_t linear) const { return gammaTable_[linear]; }

    std::array<uint8_t, 256> gammaTable_{};
    std::optional<double> tableGamma_;
    DmxFrame frame_;
};

DmxFrame MakeDmxFrame(const DmxSettings& settings, const EngineState& state,
                      const ChannelConfigs& channels, bool automatic);

// The same slots with every channel at the off level.
DmxFrame Darkened(DmxFrame frame);

}  // namespace zeb
