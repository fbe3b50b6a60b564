#pragma once
// Where a DMX frame's slots go: the universes it fills and each one's slots as sent. Used by
// the links to olad (also the one in OLA's module) and by the simulated link.

#include <cstddef>
#include <cstdint>
#include <span>

#include "output/dmx/DmxFrame.h"

namespace zeb {

// How many universes the patch fills, from patch.universe on: 1 but for a strip of more than
// 170 pixels.
size_t UniverseCount(const DmxPatch& patch);

// The part of universe patch.universe + index that a frame fills: slots first+1 .. first+count.
struct UsedSlots {
    uint32_t universe = 1;
    uint16_t first = 0;
    uint16_t count = 0;
};
UsedSlots UsedSlotsOf(const DmxPatch& patch, size_t index);

// The whole of universe patch.universe + index as the frame sends it: its slots, and 0 in
// every slot that is not the frame's, so a moved patch leaves nothing lit behind.
void FillUniverse(const DmxFrame& frame, size_t index, std::span<uint8_t, kDmxUniverseSlots> slots);

// The channel the strip's pixel `pixel` (0 = the first) shows.
size_t PixelChannel(const DmxPatch& patch, size_t pixel);

}  // namespace zeb
