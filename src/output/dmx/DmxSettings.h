#pragma once
// The DMX output's settings: which universe of the lighting daemon (OLA's olad) receives the
// twelve channels, at which slots and levels. Stored in their own section of the settings file.

#include <cstdint>
#include <string>

#include "engine/ModelValues.h"
#include "engine/Switches.h"

namespace zeb {

// olad's RPC port unless the settings name another.
constexpr int32_t kOlaDefaultRpcPort = 9010;
// Twelve slots from the start address must fit the 512 of a universe.
constexpr int32_t kDmxLastStartAddress = 512 - kChannelCount + 1;

struct DmxSettings {
    OnOffSwitch DmxSwitch;
    RangedValue universe{1, 65535, 1};
    RangedValue startAddress{1, kDmxLastStartAddress, 1};
    RangedValue onLevel{1, 255, 255};
    RangedValue offLevel{0, 254, 0};
    // Lit channels dim with how far their band stands above the threshold.
    bool dimmer = false;
    RangedValue rpcPort{1, 65535, kOlaDefaultRpcPort};
    // The "DMX" caption: blue while on or hovered. Follows the switch; not saved.
    Colour caption = colours::Grey;
    // While the output runs: no connection to olad, so no frame reaches the lamps. Not saved.
    bool oladLost = false;

    bool On() const { return DmxSwitch.On(); }
};

}  // namespace zeb
