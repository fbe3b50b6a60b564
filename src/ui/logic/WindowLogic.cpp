#include "ui/logic/WindowLogic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

#include "core/SettingsNumbers.h"
#include "engine/ChannelText.h"

namespace zeb {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWheelNotch = 120;
constexpr int kHighestBand = kBandCount - 1;
// The marker sits its own width (165 twips) plus 30 twips further right per band.
constexpr int kMarkerBaseTwips = 228;
constexpr int kMarkerStepTwips = 195;
// Farther outside 0..31 than any wheel turn can bring back.
constexpr int64_t kFarOutside = int64_t{1} << 32;

// The number a band label shows, as the wheel reads it: any whole decimal number, blanks
// around it allowed, so a hand-edited "40" or "-3" counts as itself and the wheel clamps it
// into 0..31. Text that is no number counts as 0; huge numbers are held at +-kFarOutside.
int64_t ShownNumber(std::string_view caption) {
    caption = TrimBlanks(caption);
    if (caption.empty()) {
        return 0;
    }
    if (caption.size() > 1 && caption[0] == '+' && caption[1] != '-') {
        caption.remove_prefix(1);
    }
    int64_t number = 0;
    const char* end = caption.data() + caption.size();
    const auto [ptr, ec] = std::from_chars(caption.data(), end, number);
    if (ptr != end) {
        return 0;
    }
    if (ec == std::errc::result_out_of_range) {
        return caption.front() == '-' ? -kFarOutside : kFarOutside;
    }
    return std::clamp(number, -kFarOutside, kFarOutside);
}

int ClampedBand(int64_t number) {
    return static_cast<int>(std::clamp<int64_t>(number, 0, kHighestBand));
}

// The colour a caption is drawn in: the toggles' colours are the model's (they are saved),
// the others the window's own.
template <typename Model, typename State>
auto& ColourOf(Model& model, State& state, Caption caption) {
    auto& toggles = model.captions;
    switch (caption) {
        case Caption::Lpt:
            return toggles.label9;
        case Caption::Com:
            return toggles.label10;
        case Caption::UsbFtdi:
            return toggles.label11;
        case Caption::Keyboard:
            return toggles.label12;
        case Caption::UsbD3:
            return toggles.label13;
        case Caption::UsbD8:
            return toggles.label14;
        case Caption::Auto:
            return toggles.label5;
        case Caption::Dmx:
            return model.dmx.caption;
        case Caption::Set:
            return state.setColour;
        case Caption::Add:
            return state.addColour;
        case Caption::Del:
            break;
    }
    return state.delColour;
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

Colour& WindowLogic::CaptionColourRef(Caption caption) {
    return ColourOf(model_, state_, caption);
}

Colour WindowLogic::CaptionColour(Caption caption) const {
    return ColourOf(model_, state_, caption);
}

void WindowLogic::HoverCaption(Caption caption) {
    CaptionColourRef(caption) = colours::Blue;
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
            CaptionColourRef(caption) = colours::Grey;
        }
    }
    state_.setColour = colours::Grey;
}

std::optional<bool> WindowLogic::SwitchState(Caption caption) const {
    const OutputSelection& outputs = model_.outputs;
    switch (caption) {
        case Caption::Lpt:
            return outputs.LptSwitch.On();
        case Caption::Com:
            return outputs.OutputMode.Is(SerialMode::Com);
        case Caption::UsbFtdi:
            return outputs.OutputMode.Is(SerialMode::Ftdi);
        case Caption::Keyboard:
            return outputs.KeyboardSwitch.On();
        case Caption::UsbD3:
            return outputs.OutputMode.Is(SerialMode::Usb3Led);
        case Caption::UsbD8:
            return outputs.OutputMode.Is(SerialMode::Usb8Led);
        case Caption::Auto:
            return model_.AutoMode.On();
        case Caption::Dmx:
            return model_.dmx.On();
        case Caption::Set:
            return model_.widthTwips == kExpandedWidthTwips;
        case Caption::Add:
        case Caption::Del:
            break;
    }
    return std::nullopt;
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
        std::string& caption = model_.channels[index].bandCaption;
        caption = std::to_string(ClampedBand(ShownNumber(caption) + notches));
        PlaceMarker();
    }
}

void WindowLogic::StepBand(int channel, int steps) {
    if (channel < 0 || channel >= kChannelCount) {
        return;
    }
    std::string& caption = model_.channels[static_cast<size_t>(channel)].bandCaption;
    const int64_t moved =
        int64_t{ShownNumber(caption)} + std::clamp(steps, -kBandCount, kBandCount);
    caption = std::to_string(ClampedBand(moved));
    PlaceMarker();
}

void WindowLogic::PlaceMarker() {
    const auto hovered = static_cast<size_t>(state_.HoveredChannel);
    // A number outside 0..31 keeps the marker at the nearer end of the spectrum.
    state_.markerLeftPixels =
        MarkerLeftPixels(ClampedBand(ShownNumber(model_.channels[hovered].bandCaption)));
}

void WindowLogic::ToggleWidth() {
    model_.widthTwips =
        model_.widthTwips == kExpandedWidthTwips ? kCollapsedWidthTwips : kExpandedWidthTwips;
}

bool WindowLogic::AddAddress() {
    if (state_.text1.empty()) {
        return false;
    }
    model_.combo1.Add(state_.text1);
    model_.combo1.SetIndex(model_.combo1.Count() - 1);
    return true;
}

bool WindowLogic::EnterDmxUniverse(const std::string& text) {
    const auto number = ParseInt32(text);
    return number && model_.dmx.universe.Set(*number);
}

bool WindowLogic::EnterDmxAddress(const std::string& text) {
    const auto number = ParseInt32(text);
    return number && model_.dmx.startAddress.Set(*number);
}

bool WindowLogic::DeleteAddress() {
    if (model_.combo1.Text().empty()) {
        return false;
    }
    return model_.combo1.RemoveAt(model_.combo1.Index());
}

}  // namespace zeb
