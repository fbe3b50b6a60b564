#pragma once
// The actions that only change the model (sliders, bands, lists, boxes, the width, the hover
// colours), shared by the program's own actions and by views tested without a program.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ProgramActions.h"
#include "core/ProgramModel.h"

namespace zeb {

// The number a band caption shows: any whole decimal number, blanks around it allowed, so a
// hand-edited "40" or "-3" counts as itself. Text that is no number counts as 0; huge numbers
// are held at +-2^32, farther outside 0..31 than any wheel turn can bring back.
int64_t BandCaptionNumber(std::string_view caption);
// A number held within the bands 0..31.
int ClampedBand(int64_t number);
// What a band label shows: "B" for a channel on the beat, else its caption.
std::string BandLabelText(const ChannelConfig& channel);

// The caption colour of a toggle, saved with the settings (the DMX key's is not).
template <typename Model>  // ProgramModel, const or not
auto& ToggleColour(Model& model, Toggle toggle) {
    auto& colours = model.captions;
    switch (toggle) {
        case Toggle::Lpt:
            return colours.label9;
        case Toggle::Com:
            return colours.label10;
        case Toggle::Ftdi:
            return colours.label11;
        case Toggle::Keyboard:
            return colours.label12;
        case Toggle::Usb3:
            return colours.label13;
        case Toggle::Usb8:
            return colours.label14;
        case Toggle::Auto:
            return colours.label5;
        case Toggle::Dmx:
            break;
    }
    return model.dmx.caption;
}

// Whether an output's toggle (or AUTO) is switched on.
bool ToggleOn(const ProgramModel& model, Toggle toggle);

// Every toggle, in the order of the window's captions.
inline constexpr std::array<Toggle, 8> kToggles = {Toggle::Lpt,      Toggle::Com,  Toggle::Ftdi,
                                                   Toggle::Keyboard, Toggle::Usb3, Toggle::Usb8,
                                                   Toggle::Auto,     Toggle::Dmx};

class ModelActions : public ProgramActions {
  public:
    explicit ModelActions(ProgramModel& model) : model_(model) {}

    void ShowToggleHovered(Toggle toggle, bool hovered) override;
    void SetInputLevel(int32_t level) override;
    void SetSpectrumGain(int32_t gain) override;
    void SetThreshold(int channel, int32_t threshold) override;
    void StepBand(int channel, int notches) override;
    void SetBand(int channel, int band) override;
    void SelectSpeed(int32_t index) override;
    void SelectLptAddress(int32_t index) override;
    bool AddLptAddress(const std::string& address) override;
    bool DeleteLptAddress() override;
    void SelectSerialPort(int32_t index) override;
    void TypeSerialPort(const std::string& name) override;
    bool SetDmxUniverse(const std::string& typed) override;
    bool SetDmxAddress(const std::string& typed) override;
    void SelectDmxLayout(int32_t index) override;
    void SetChannelColour(int channel, LampColour colour) override;
    void ToggleWidth() override;
    bool SetOutputDelay(const std::string& typed) override;

  protected:
    ProgramModel& model_;
};

}  // namespace zeb
