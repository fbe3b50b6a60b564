#include "core/ProgramCommands.h"

#include <chrono>

namespace zeb {

void ProgramCommands::PressToggle(Toggle toggle) {
    switch (toggle) {
        case Toggle::Lpt:
            program_.LptPressed();
            return;
        case Toggle::Com:
            program_.ComClicked();
            return;
        case Toggle::Ftdi:
            program_.FtdiClicked();
            return;
        case Toggle::Keyboard:
            program_.KeyboardClicked();
            return;
        case Toggle::Usb3:
            program_.Usb3Clicked();
            return;
        case Toggle::Usb8:
            program_.Usb8Clicked();
            return;
        case Toggle::Auto:
            program_.AutoPressed();
            return;
        case Toggle::Dmx:
            program_.DmxClicked();
            return;
    }
}

bool ProgramCommands::Save() {
    return program_.Save();
}

void ProgramCommands::SaveAndExit() {
    if (program_.ExitCommand()) {
        endLoop_(0);
    }
}

void ProgramCommands::SelectCaptureDevice(int32_t index) {
    model_.capture.devices.SetIndex(index);
    if (program_.DeviceSelected(index) == Program::Outcome::EndProgram) {
        endLoop_(1);
    }
}

void ProgramCommands::SelectCaptureInput(int32_t index) {
    model_.capture.inputs.SetIndex(index);
    program_.InputSelected(index);
}

void ProgramCommands::DragInputLevel(int32_t level) {
    SetInputLevel(level);
    program_.InputLevelMoved();
}

void ProgramCommands::TapTempo() {
    program_.TapTempo(std::chrono::steady_clock::now());
}

void ProgramCommands::LptAddressListLeft() {
    program_.AddressBoxFocusLost();
}

}  // namespace zeb
