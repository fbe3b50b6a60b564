#include "output/dmx/DmxUniverses.h"

#include <algorithm>

namespace zeb {

namespace {

size_t SlotsPerChannel(DmxLayout layout) {
    switch (layout) {
        case DmxLayout::Channels:
            return 1;
        case DmxLayout::Rgbw:
            return 4;
        case DmxLayout::Rgb:
        case DmxLayout::Pixels:
            break;
    }
    return 3;
}

}  // namespace

size_t UniverseCount(const DmxPatch& patch) {
    if (patch.layout != DmxLayout::Pixels || patch.pixels == 0) {
        return 1;
    }
    return (patch.pixels + kPixelsPerUniverse - 1) / kPixelsPerUniverse;
}

UsedSlots UsedSlotsOf(const DmxPatch& patch, size_t index) {
    UsedSlots used;
    used.universe = patch.universe + static_cast<uint32_t>(index);
    if (patch.layout == DmxLayout::Pixels) {
        const size_t before = index * kPixelsPerUniverse;
        const size_t pixels = patch.pixels > before ? patch.pixels - before : 0;
        used.count = static_cast<uint16_t>(3 * std::min<size_t>(pixels, kPixelsPerUniverse));
        return used;
    }
    used.first = static_cast<uint16_t>(patch.startAddress - 1);
    // A fixture that would run past the universe's last slot is cut off there.
    const size_t wanted = SlotsPerChannel(patch.layout) * kChannelCount;
    used.count = static_cast<uint16_t>(std::min<size_t>(
        wanted, kDmxUniverseSlots - std::min<size_t>(used.first, kDmxUniverseSlots)));
    return used;
}

size_t PixelChannel(const DmxPatch& patch, size_t pixel) {
    const size_t count = patch.pixels;
    if (!patch.mirror) {
        return pixel * kChannelCount / count;
    }
    // Two strips from the middle: the right half from its first pixel, the left half from its
    // last, each split into twelve segments; an odd middle pixel belongs to the right half.
    const size_t left = count / 2;
    const size_t right = count - left;
    if (pixel >= left) {
        return (pixel - left) * kChannelCount / right;
    }
    return (left - 1 - pixel) * kChannelCount / left;
}

void FillUniverse(const DmxFrame& frame, size_t index,
                  std::span<uint8_t, kDmxUniverseSlots> slots) {
    std::fill(slots.begin(), slots.end(), uint8_t{0});
    const DmxPatch& patch = frame.patch;
    const UsedSlots used = UsedSlotsOf(patch, index);
    if (patch.layout == DmxLayout::Pixels) {
        const size_t first = index * kPixelsPerUniverse;
        for (size_t slot = 0; slot < used.count; slot += 3) {
            const ChannelSlots& colour = frame.levels[PixelChannel(patch, first + slot / 3)];
            std::copy_n(colour.begin(), 3, slots.begin() + static_cast<ptrdiff_t>(slot));
        }
        return;
    }
    const size_t width = SlotsPerChannel(patch.layout);
    for (size_t k = 0; k < used.count; ++k) {
        slots[used.first + k] = frame.levels[k / width][k % width];
    }
}

}  // namespace zeb
