#pragma once
// The DMX output's settings: which universe of the lighting daemon (OLA's olad) receives the
// twelve channels, at which slots and levels. Stored in their own section of the settings file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/ModelValues.h"
#include "engine/Switches.h"

namespace zeb {

// olad's RPC port unless the settings name another.
constexpr int32_t kOlaDefaultRpcPort = 9010;
constexpr int32_t kDmxUniverseSlots = 512;
// Twelve slots from the start address must fit the 512 of a universe.
constexpr int32_t kDmxLastStartAddress = kDmxUniverseSlots - kChannelCount + 1;
// An LED strip: three slots a pixel, 170 pixels a universe, at most four universes.
constexpr int32_t kPixelsPerUniverse = kDmxUniverseSlots / 3;
constexpr int32_t kMostPixels = 4 * kPixelsPerUniverse;

// How the twelve channels map onto slots.
enum class DmxLayout : uint8_t {
    Channels,  // one slot a channel, its level
    Rgb,       // one fixture a channel at Address + 3n: red, green, blue
    Rgbw,      // one fixture a channel at Address + 4n: red, green, blue, white
    Pixels,    // an LED strip from slot 1 of Universe on, twelve segments in channel order
};

// The layouts' names, in the order of DmxLayout: in the settings file and the window's list.
inline constexpr std::array<const char*, 4> kDmxLayoutNames = {"Channels", "RGB", "RGBW", "Pixels"};

// The gamma of the colour layouts when the settings name none: dimmed colours look right on
// LEDs. The Channels layout sends its levels as they are unless a gamma is stored.
constexpr double kColourLayoutGamma = 2.2;
constexpr double kLeastGamma = 1.0;
constexpr double kMostGamma = 3.0;

struct DmxSettings {
    OnOffSwitch DmxSwitch;
    RangedValue universe{1, 65535, 1};
    RangedValue startAddress{1, kDmxLastStartAddress, 1};
    RangedValue onLevel{1, 255, 255};
    RangedValue offLevel{0, 254, 0};
    // Lit channels dim with how far their band stands above the threshold.
    bool dimmer = false;
    RangedValue rpcPort{1, 65535, kOlaDefaultRpcPort};
    DmxLayout layout = DmxLayout::Channels;
    // The Pixels layout: how many pixels the strip has, and whether its segments run from the
    // middle outwards (the bass in the centre) instead of from one end.
    RangedValue pixels{1, kMostPixels, kPixelsPerUniverse};
    bool mirror = false;
    // kLeastGamma..kMostGamma, as stored; without one, the layout's own.
    std::optional<double> gamma;
    // Scales every slot: 255 sends the colours at full strength.
    RangedValue brightness{0, 255, 255};
    // The "DMX" caption: blue while on or hovered. Follows the switch; not saved.
    Colour caption = colours::Grey;
    // While the output runs: no connection to olad, so no frame reaches the lamps. Not saved.
    bool oladLost = false;

    bool On() const { return DmxSwitch.On(); }
    double Gamma() const {
        return gamma.value_or(layout == DmxLayout::Channels ? 1.0 : kColourLayoutGamma);
    }
};

}  // namespace zeb
