#include "core/ModelActions.h"

#include <algorithm>
#include <charconv>

#include "core/SettingsNumbers.h"
#include "engine/ChannelText.h"

namespace zeb {

namespace {

constexpr int kHighestBand = kBandCount - 1;
constexpr int64_t kFarOutside = int64_t{1} << 32;

bool IsChannel(int channel) {
    return channel >= 0 && channel < kChannelCount;
}

}  // namespace

int64_t BandCaptionNumber(std::string_view caption) {
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

bool ToggleOn(const ProgramModel& model, Toggle toggle) {
    const OutputSelection& outputs = model.outputs;
    switch (toggle) {
        case Toggle::Lpt:
            return outputs.LptSwitch.On();
        case Toggle::Com:
            return outputs.OutputMode.Is(SerialMode::Com);
        case Toggle::Ftdi:
            return outputs.OutputMode.Is(SerialMode::Ftdi);
        case Toggle::Keyboard:
            return outputs.KeyboardSwitch.On();
        case Toggle::Usb3:
            return outputs.OutputMode.Is(SerialMode::Usb3Led);
        case Toggle::Usb8:
            return outputs.OutputMode.Is(SerialMode::Usb8Led);
        case Toggle::Auto:
            return model.AutoMode.On();
        case Toggle::Dmx:
            return model.dmx.On();
    }
    return false;
}

void ModelActions::ShowToggleHovered(Toggle toggle, bool hovered) {
    ToggleColour(model_, toggle) = hovered ? colours::Blue : colours::Grey;
}

void ModelActions::SetInputLevel(int32_t level) {
    model_.sLevel.Set(level);
}

void ModelActions::SetSpectrumGain(int32_t gain) {
    model_.slider2.Set(gain);
}

void ModelActions::SetThreshold(int channel, int32_t threshold) {
    if (IsChannel(channel)) {
        model_.channels[static_cast<size_t>(channel)].threshold.Set(threshold);
    }
}

void ModelActions::StepBand(int channel, int notches) {
    if (!IsChannel(channel) || notches == 0) {
        return;
    }
    ChannelConfig& config = model_.channels[static_cast<size_t>(channel)];
    if (config.followsBeat) {
        SetBand(channel, std::clamp(kBeatStep + notches, 0, kBeatStep));
        return;
    }
    const int64_t number = BandCaptionNumber(config.bandCaption);
    // Up past the highest band to the beat; a hand-edited caption beyond it comes back to 31.
    if (number <= kHighestBand && number + notches > kHighestBand) {
        SetBand(channel, kBeatStep);
        return;
    }
    SetBand(channel, ClampedBand(number + notches));
}

void ModelActions::SetBand(int channel, int band) {
    if (!IsChannel(channel)) {
        return;
    }
    ChannelConfig& config = model_.channels[static_cast<size_t>(channel)];
    // On the beat the caption keeps its band, for older files and programs.
    config.followsBeat = band >= kBeatStep;
    if (!config.followsBeat) {
        config.bandCaption = std::to_string(ClampedBand(band));
    }
}

bool ModelActions::SetOutputDelay(const std::string& typed) {
    const auto ms = ParseInt32(typed);
    return ms && model_.delay.ms.Set(*ms);
}

std::string BandLabelText(const ChannelConfig& channel) {
    return channel.followsBeat ? "B" : channel.bandCaption;
}

void ModelActions::SelectSpeed(int32_t index) {
    model_.combo4.SetIndex(index);
}

void ModelActions::SelectLptAddress(int32_t index) {
    model_.combo1.SetIndex(index);
}

bool ModelActions::AddLptAddress(const std::string& address) {
    if (address.empty()) {
        return false;
    }
    model_.combo1.Add(address);
    model_.combo1.SetIndex(model_.combo1.Count() - 1);
    return true;
}

bool ModelActions::DeleteLptAddress() {
    if (model_.combo1.Text().empty()) {
        return false;
    }
    return model_.combo1.RemoveAt(model_.combo1.Index());
}

void ModelActions::SelectSerialPort(int32_t index) {
    model_.combo2.SetIndex(index);
}

void ModelActions::TypeSerialPort(const std::string& name) {
    if (name != model_.combo2.Text()) {
        model_.combo2.SetText(name);
    }
}

bool ModelActions::SetDmxUniverse(const std::string& typed) {
    const auto number = ParseInt32(typed);
    return number && model_.dmx.universe.Set(*number);
}

bool ModelActions::SetDmxAddress(const std::string& typed) {
    const auto number = ParseInt32(typed);
    return number && model_.dmx.startAddress.Set(*number);
}

void ModelActions::SelectDmxLayout(int32_t index) {
    if (index >= 0 && static_cast<size_t>(index) < kDmxLayoutNames.size()) {
        model_.dmx.layout = static_cast<DmxLayout>(index);
    }
}

void ModelActions::SetChannelColour(int channel, LampColour colour) {
    if (channel >= 0 && channel < kChannelCount) {
        model_.channels[static_cast<size_t>(channel)].colour = colour;
    }
}

void ModelActions::ToggleWidth() {
    model_.widthTwips =
        model_.widthTwips == kExpandedWidthTwips ? kCollapsedWidthTwips : kExpandedWidthTwips;
}

}  // namespace zeb
