#include "output/OutputToggles.h"

#include <array>
#include <string>

namespace zeb {

namespace {

using CaptionColour = Colour ToggleColours::*;

// The captions of the four mutually exclusive serial/USB modes.
constexpr std::array<CaptionColour, 4> kSerialCaptions = {
    &ToggleColours::label10, &ToggleColours::label11, &ToggleColours::label13,
    &ToggleColours::label14};

void ToggleSerialMode(OutputSelection& selection, ToggleColours& colours, SerialMode mode,
                      CaptionColour own) {
    if (!selection.OutputMode.Is(mode)) {
        selection.OutputMode.Set(mode);
        for (const CaptionColour caption : kSerialCaptions) {
            colours.*caption = caption == own ? colours::Blue : colours::Grey;
        }
    } else {
        selection.OutputMode.Set(SerialMode::Off);
        colours.*own = colours::Grey;
    }
}

}  // namespace

bool ToggleLpt(OutputSelection& selection, ToggleColours& colours, PortIo& port) {
    if (!selection.LptSwitch.On()) {
        colours.label9 = colours::Blue;
        selection.LptSwitch.Set(true);
        return port.InitializeWinIo();
    }
    selection.LptSwitch.Set(false);
    colours.label9 = colours::Grey;
    return true;
}

void ToggleCom(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, SerialMode::Com, &ToggleColours::label10);
}

void ToggleFtdi(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, SerialMode::Ftdi, &ToggleColours::label11);
}

void ToggleUsb3(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, SerialMode::Usb3Led, &ToggleColours::label13);
}

void ToggleUsb8(OutputSelection& selection, ToggleColours& colours) {
    ToggleSerialMode(selection, colours, SerialMode::Usb8Led, &ToggleColours::label14);
}

KeyboardAction ToggleKeyboard(OutputSelection& selection, ToggleColours& colours) {
    if (!selection.KeyboardSwitch.On()) {
        colours.label12 = colours::Blue;
        selection.KeyboardSwitch.Set(true);
        return KeyboardAction::Start;
    }
    selection.KeyboardSwitch.Set(false);
    colours.label12 = colours::Grey;
    return KeyboardAction::Stop;
}

}  // namespace zeb
