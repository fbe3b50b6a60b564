#pragma once
// The program's state: everything the main window shows and the settings file stores. The
// engine ticks read and write it, the window renders it, the settings load and save it.
// Plain C++, so it is built and tested without a display.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/CaptureState.h"
#include "engine/EngineState.h"
#include "engine/ModelValues.h"
#include "output/OutputSelection.h"
#include "output/dmx/DmxSettings.h"

namespace zeb {

// The beat channels' settings and what the tempo readout shows.
struct BeatSettings {
    // Milliseconds a flash lasts; 0: a quarter of the beat period, at most 150 ms.
    RangedValue flash{0, 1000, 0};
    // Flash on every beat, every second or every fourth (1, 2 or 4).
    int every = 1;
    // Whether the settings file had the beat section, which a save then keeps up to date.
    bool stored = false;
    // The tempo tracker runs: a channel follows the beat, or a view shows the readout.
    bool tracking = false;
    // A view shows the tempo readout (the window does); the tracker runs for it.
    bool readoutShown = false;
    // The readout: the tempo in whole beats a minute, "--" while there is no steady beat.
    std::string readout = "--";
    // The tempo comes from the user's taps.
    bool tapped = false;
};

// Every lamp frame of every output, and the window's lamps, this much later (ms), for speakers
// that lag behind the sound the program hears.
struct OutputDelay {
    RangedValue ms{0, 1000, 0};
    bool stored = false;  // the settings file had the key
};

constexpr float kExpandedWidthTwips = 9650.0f;
constexpr float kCollapsedWidthTwips = 6655.0f;

struct ProgramModel {
    ProgramModel();

    // Channel strips: band label captions and threshold sliders.
    ChannelConfigs channels;
    // What the ticks compute.
    EngineState engine;

    RangedValue slider2{0, 254, 0};  // spectrum gain
    RangedValue sLevel{0, 254, 0};   // capture input volume

    OnOffSwitch AutoMode{false, ""};  // on = automatic thresholds
    OutputSelection outputs;
    ToggleColours captions;
    DmxSettings dmx;
    // While the serial port of a lamp mode is away (pulled out): the line that said so, until
    // it is opened again. Not saved.
    std::string serialPortLost;
    BeatSettings beat;
    OutputDelay delay;

    ChoiceList combo1;        // parallel-port addresses (drop-down list)
    ChoiceList combo2{true};  // serial port number (editable): "1".."9", "4  "
    ChoiceList combo4;        // "SPEED AUTO": "1".."4"
    CaptureState capture;     // Combo3 devices, cmbInput inputs
    // The device position the settings file stored ("index" / "Combo3"); start-up selects it
    // once the devices are listed.
    std::optional<int16_t> storedDeviceIndex;

    // Window width in twips, as last set or restored (9650 expanded, 6655 collapsed).
    float widthTwips = kExpandedWidthTwips;

    // The spectrum bar graph: 8-bit palette indices, rows of 424 bytes, bottom row first.
    std::vector<uint8_t> spectrumImage;
};

}  // namespace zeb
