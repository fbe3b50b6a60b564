#pragma once
// What the main window shows beyond the program's model: band label highlights, the band
// marker, the hover colours of the captions that are not saved, the address entry box, and
// the wheel and hover bookkeeping. Lives as long as the window; never saved.

#include <array>
#include <cstdint>
#include <string>

#include "engine/ModelValues.h"

namespace zeb {

// Left edge, in pixels, of the band marker under band v: 228 + 195 v twips, rounded.
int MarkerLeftPixels(int band);

struct WindowState {
    // Text colours of the band labels: dark green idle, bright green while highlighted.
    std::array<Colour, kChannelCount> bandLabelColours = [] {
        std::array<Colour, kChannelCount> idle{};
        idle.fill(colours::DarkGreen);
        return idle;
    }();
    bool markerVisible = false;
    int markerLeftPixels = MarkerLeftPixels(0);
    // "SET", "ADD", "DEL": grey idle, blue while hovered.
    Colour setColour = colours::Grey;
    Colour addColour = colours::Grey;
    Colour delColour = colours::Grey;
    // The entry box for a new parallel-port address.
    std::string text1;
    // The band label most recently hovered; not reset when the pointer leaves.
    int16_t HoveredChannel = 0;
    // Wheel deltas not yet spent as whole notches (120 per notch).
    int32_t WheelRemainder = 0;
};

}  // namespace zeb
