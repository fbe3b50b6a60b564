#pragma once
// The program's actions for a view tested without a program: what only changes the model
// happens, the rest is recorded by name (a capture choice is taken into the model too).

#include <string>
#include <vector>

#include "core/ModelActions.h"

namespace zeb {

class RecordingActions : public ModelActions {
  public:
    explicit RecordingActions(ProgramModel& model) : ModelActions(model) {}

    std::vector<std::string> calls;

    void PressToggle(Toggle toggle) override {
        static constexpr const char* kNames[] = {"Lpt",  "Com",  "Ftdi", "Keyboard",
                                                 "Usb3", "Usb8", "Auto", "Dmx"};
        calls.emplace_back(kNames[static_cast<int>(toggle)]);
    }
    bool Save() override {
        calls.emplace_back("Save");
        return true;
    }
    void SaveAndExit() override { calls.emplace_back("Exit"); }
    void SelectCaptureDevice(int32_t index) override {
        model_.capture.devices.SetIndex(index);
        calls.push_back("Device" + std::to_string(index));
    }
    void SelectCaptureInput(int32_t index) override {
        model_.capture.inputs.SetIndex(index);
        calls.push_back("Input" + std::to_string(index));
    }
    void DragInputLevel(int32_t level) override {
        SetInputLevel(level);
        calls.emplace_back("Level");
    }
    void LptAddressListLeft() override { calls.emplace_back("AddressBoxFocusLost"); }
    void TapTempo() override { calls.emplace_back("Tap"); }
};

}  // namespace zeb
