#include "ui/logic/WindowLogic.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/ModelActions.h"

namespace zeb {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWheelNotch = 120;
// The marker sits its own width (165 twips) plus 30 twips further right per band.
constexpr int kMarkerBaseTwips = 228;
constexpr int kMarkerStepTwips = 195;

std::optional<Toggle> ToggleOf(Caption caption) {
    switch (caption) {
        case Caption::Lpt:
            return Toggle::Lpt;
        case Caption::Com:
            return Toggle::Com;
        case Caption::UsbFtdi:
            return Toggle::Ftdi;
        case Caption::Keyboard:
            return Toggle::Keyboard;
        case Caption::UsbD3:
            return Toggle::Usb3;
        case Caption::UsbD8:
            return Toggle::Usb8;
        case Caption::Auto:
            return Toggle::Auto;
        case Caption::Dmx:
            return Toggle::Dmx;
        case Caption::Set:
        case Caption::Add:
        case Caption::Del:
            break;
    }
    return std::nullopt;
}

// The colour a caption is drawn in: the toggles' colours are the model's (they are saved),
// the others the window's own.
Colour ColourOf(const ProgramModel& model, const WindowState& state, Caption caption) {
    if (const auto toggle = ToggleOf(caption)) {
        return ToggleColour(model, *toggle);
    }
    return caption == Caption::Set   ? state.setColour
           : caption == Caption::Add ? state.addColour
                                     : state.delColour;
}

}  // namespace

int MarkerLeftPixels(int band) {
    return static_cast<int>(std::lround(
        static_cast<double>(kMarkerBaseTwips + kMarkerStepTwips * band) / kTwipsPerPixel));
}

int TwipsToPixels(float twips) {
    // Held within int so that any restored width converts without overflow.
    const double pixels = std::round(static_cast<double>(twips) / kTwipsPerPixel);
    if (std::isnan(pixels)) {
        return 0;
    }
    return static_cast<int>(std::clamp(pixels, double{std::numeric_limits<int>::min()},
                                       double{std::numeric_limits<int>::max()}));
}

void WindowLogic::ShowHovered(Caption caption, bool hovered) {
    if (const auto toggle = ToggleOf(caption)) {
        actions_.ShowToggleHovered(*toggle, hovered);  // saved with the settings
    } else {
        Colour& shown = caption == Caption::Set   ? state_.setColour
                        : caption == Caption::Add ? state_.addColour
                                                  : state_.delColour;
        shown = hovered ? colours::Blue : colours::Grey;
    }
}

Colour WindowLogic::CaptionColour(Caption caption) const {
    return ColourOf(model_, state_, caption);
}

void WindowLogic::HoverCaption(Caption caption) {
    ShowHovered(caption, true);
}

void WindowLogic::ResetHover() {
    state_.markerVisible = false;
    state_.bandLabelColours.fill(colours::DarkGreen);
    state_.addColour = colours::Grey;
    state_.delColour = colours::Grey;

    // A selected toggle keeps its blue.
    for (Caption caption : {Caption::Auto, Caption::Lpt, Caption::Com, Caption::UsbFtdi,
                            Caption::Keyboard, Caption::UsbD3, Caption::UsbD8, Caption::Dmx}) {
        if (!SwitchState(caption).value_or(false)) {
            ShowHovered(caption, false);
        }
    }
    state_.setColour = colours::Grey;
}

std::optional<bool> WindowLogic::SwitchState(Caption caption) const {
    if (const auto toggle = ToggleOf(caption)) {
        return ToggleOn(model_, *toggle);
    }
    if (caption == Caption::Set) {
        return model_.widthTwips == kExpandedWidthTwips;
    }
    return std::nullopt;  // ADD and DEL are buttons
}

void WindowLogic::HoverBandLabel(int channel) {
    if (channel < 0 || channel >= kChannelCount) {
        return;
    }
    state_.markerVisible = true;
    state_.bandLabelColours[static_cast<size_t>(channel)] = colours::BrightGreen;
    state_.HoveredChannel = static_cast<int16_t>(channel);
    PlaceMarker();
}

void WindowLogic::UnhighlightBandLabel(int channel) {
    if (channel < 0 || channel >= kChannelCount) {
        return;
    }
    state_.bandLabelColours[static_cast<size_t>(channel)] = colours::DarkGreen;
    state_.markerVisible = std::ranges::find(state_.bandLabelColours, colours::BrightGreen) !=
                           state_.bandLabelColours.end();
}

void WindowLogic::Wheel(int16_t delta) {
    state_.WheelRemainder += delta;
    // Integer division and remainder truncate toward zero: -130 makes -1 notch, leaves -10.
    const auto notches = static_cast<int16_t>(state_.WheelRemainder / kWheelNotch);
    AdjustHoveredBand(notches);
    state_.WheelRemainder %= kWheelNotch;
}

void WindowLogic::AdjustHoveredBand(int16_t notches) {
    for (int i = 0; i < kChannelCount; ++i) {
        const auto index = static_cast<size_t>(i);
        if (state_.bandLabelColours[index] != colours::BrightGreen) {
            continue;
        }
        actions_.StepBand(i, notches);
        PlaceMarker();
    }
}

void WindowLogic::StepBand(int channel, int steps) {
    // A caption's own step (its accessible Increase or value) moves that caption, not the hovered
    // one.
    actions_.StepBand(channel, std::clamp(steps, -kBandCount, kBandCount));
    PlaceMarker();
}

void WindowLogic::PlaceMarker() {
    const auto hovered = static_cast<size_t>(state_.HoveredChannel);
    // A number outside 0..31 keeps the marker at the nearer end of the spectrum.
    state_.markerLeftPixels =
        MarkerLeftPixels(ClampedBand(BandCaptionNumber(model_.channels[hovered].bandCaption)));
}

}  // namespace zeb
