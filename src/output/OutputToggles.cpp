#include "output/OutputToggles.h"

#include "output/OutputStage.h"

#include <array>
#include <string>

namespace zeb {

namespace {

using CaptionColour = Colour ToggleColours::*;

// The captions of the four mutually exclusive serial/USB modes.
constexpr std::array<CaptionColour, 4> kSerialCaptions = {
    &ToggleColours::label10, &ToggleColours::label11, &ToggleColours::label13,
    &ToggleColours::label14};

void ToggleSerialMode(OutputSelection& selection, ToggleColours& colours, const char* mode,
                      CaptionColour own) {
    if (selection.OutputMode != mode) {
        selection.OutputMode = mode;
        for (const CaptionColour caption : kSerialCaptions) {
            colours.*caption = caption == own ? colours::Blue : colours::Grey;
        }
    } else {
        selection.OutputMode = "0";
        colours.*own = colours::Grey;
    }
}

}  // namespace

bool ToggleLpt(OutputSelection& selection, ToggleColours& colours, PortIo& port) {
    if (selection.LptSwitch != "LPT") {
        colours.label9 = colours::Blue;
        selection.LptSwitch = "LPT";
        return port.InitializeWinIo(ReadHexPort(selection.LptAddressText));
    }
    selection.LptSwitch = "0";
    colours.label9 = colours::Grey;
    return true;
}

void ToggleCom(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, "COM", &ToggleColours::label10);
}

void ToggleFtdi(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, "FTDI", &ToggleColours::label11);
}

void ToggleUsb3(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, "USB3LED", &ToggleColours::label13);
}

void ToggleUsb8(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, "USB8LED", &ToggleColours::label14);
}

KeyboardAction ToggleKeyboard(OutputSelection& selection, ToggleColours& colours) {
    if (selection.KeyboardSwitch != "1") {
        colours.label12 = colours::Blue;
        selection.KeyboardSwitch = "1";
        return KeyboardAction::Start;
    }
    selection.KeyboardSwitch = "0";
    colours.label12 = colours::Grey;
    return KeyboardAction::Stop;
}

}  // namespace zeb
