#include "app/Program.h"

#include <string>
#include <system_error>
#include <utility>

#include "app/Settings.h"
#include "audio/CaptureControl.h"
#include "audio/SpectrumFolding.h"
#include "engine/EngineTick.h"
#include "engine/PeakHold.h"
#include "output/FtdiSetup.h"
#include "output/LptAccess.h"
#include "output/OutputStage.h"
#include "output/OutputToggles.h"
#include "output/SerialSetup.h"

namespace zeb {

namespace {

const std::string kProgramTitle = "ZEB";

// The report of a failed save: what failed, then the error number and its description.
std::string SaveFailureText(const std::filesystem::path& path, const std::system_error& error) {
    return "The settings could not be saved to " + path.string() + "\r\n\r\nerror " +
           std::to_string(error.code().value()) + ": " + error.code().message();
}

}  // namespace

Program::Program(ProgramModel& model, CaptureBackend& capture, OutputDevices& devices,
                 MessageSink& messages, ProgramTimers& timers, std::filesystem::path settingsPath)
    : model_(model),
      capture_(capture),
      devices_(devices),
      messages_(messages),
      timers_(timers),
      settingsPath_(std::move(settingsPath)),
      keyboard_(*devices.keyboard) {}

Program::Outcome Program::StartUp() {
    // The sound library is linked into the program, so there is nothing to write out or load.
    std::error_code existsError;
    bool settingsLoaded = false;
    if (std::filesystem::exists(settingsPath_, existsError)) {
        try {
            LoadSettings(model_, settingsPath_.string());
            settingsLoaded = true;
        } catch (const std::exception&) {
            // An unreadable settings file leaves every setting at its initial value.
        }
    }

    if (StartAudio(capture_, model_.capture, model_.storedDeviceIndex, messages_) ==
        AudioOutcome::EndProgram) {
        return Outcome::EndProgram;
    }
    if (!settingsLoaded) {
        // A first start (or one whose settings could not be read) keeps the source's own
        // volume instead of silencing it for every program on the desktop.
        if (const auto volume = CurrentInputVolume(capture_, model_.capture)) {
            model_.sLevel.Set(InputLevelOfVolume(*volume));
        }
    }

    timers_.StartSpectrumTimer();
    timers_.StartLevelTimer();
    if (model_.outputs.KeyboardSwitch == "1") {
        StartKeyboardOutput();
    }
    levelin(capture_, model_.capture, model_.sLevel);
    if (LptAccessFailsAtStartup(*devices_.port, model_.outputs)) {
        ReportPortAccessMissing();
    }
    return Outcome::Running;
}

void Program::Activate() {
    ftdiinit(*devices_.ftdi);
    COM(*devices_.serial, model_.combo2.Text());
    levelin(capture_, model_.capture, model_.sLevel);
}

void Program::SpectrumTick() {
    UpdateSpectrum(capture_, model_.capture.RecordHandle, model_.slider2,
                   model_.engine.SpectrumBands, model_.spectrumImage);
}

void Program::LevelTick() {
    PeakHoldTick(model_.engine, capture_.ChannelGetLevel(model_.capture.RecordHandle));
}

void Program::EngineTick() {
    zeb::EngineTick(model_.engine, model_.channels, model_.AutoMode, model_.combo4.Text());
    WriteOutputs(model_.outputs, model_.combo1.Text(), model_.engine, devices_);
}

void Program::KeyboardTick() {
    if (keyboard_.Running()) {
        keyboard_.Tick(model_.engine.ChannelStates);
    }
}

void Program::ExitCommand() {
    try {
        std::filesystem::create_directories(settingsPath_.parent_path());
        SaveSettings(model_, settingsPath_.string());
    } catch (const std::system_error& error) {
        messages_.ShowMessage(SaveFailureText(settingsPath_, error), kProgramTitle,
                              MessageIcon::Critical);
        return;
    }
    FtdiShutdown(*devices_.ftdi);
    timers_.StopSpectrumTimer();
    StopCapture(capture_, model_.capture);
}

void Program::Unload() {
    timers_.StopSpectrumTimer();
    StopCapture(capture_, model_.capture);
    // The hidden LED output ends with the main window and gives the keyboard its own lock
    // states back, as switching it off does.
    StopKeyboardOutput();
}

void Program::LptPressed() {
    if (!ToggleLpt(model_.outputs, model_.captions, *devices_.port)) {
        // Ending the program here would throw away every unsaved change of the run: report,
        // leave the output off and run on.
        ReportPortAccessMissing();
        model_.outputs.LptSwitch = "0";
        model_.captions.label9 = colours::Grey;
    }
}

void Program::ComClicked() {
    ToggleCom(model_.outputs, model_.captions);
}
void Program::FtdiClicked() {
    ToggleFtdi(model_.outputs, model_.captions);
}
void Program::Usb3Clicked() {
    ToggleUsb3(model_.outputs, model_.captions);
}
void Program::Usb8Clicked() {
    ToggleUsb8(model_.outputs, model_.captions);
}
void Program::AutoPressed() {
    ToggleAuto(model_.AutoMode, model_.captions.label5);
}

void Program::KeyboardClicked() {
    if (ToggleKeyboard(model_.outputs, model_.captions) == KeyboardAction::Start) {
        StartKeyboardOutput();
    } else {
        StopKeyboardOutput();
    }
}

Program::Outcome Program::DeviceSelected(int32_t index) {
    return SelectDevice(capture_, model_.capture, index, messages_) == AudioOutcome::EndProgram
               ? Outcome::EndProgram
               : Outcome::Running;
}

void Program::InputSelected(int32_t index) {
    SelectInput(capture_, model_.capture, index);
}

void Program::InputLevelMoved() {
    levelin(capture_, model_.capture, model_.sLevel);
}

void Program::AddressBoxFocusLost() {
    if (LptAccessMissing(*devices_.port)) {
        ReportPortAccessMissing();
    }
    // Taken whatever the check said.
    model_.outputs.LptAddressText = model_.combo1.Text();
}

void Program::StartKeyboardOutput() {
    if (keyboard_.Start()) {
        timers_.StartKeyboardTimer();
        return;
    }
    // Without keyboard access the output stays off and the program runs on, also at start-up.
    messages_.ShowMessage(kKeyboardMessage, kProgramTitle, MessageIcon::None);
    model_.outputs.KeyboardSwitch = "0";
    model_.captions.label12 = colours::Grey;
}

void Program::StopKeyboardOutput() {
    timers_.StopKeyboardTimer();
    if (keyboard_.Running()) {
        keyboard_.Stop();
    }
}

void Program::ReportPortAccessMissing() {
    messages_.ShowMessage(kLptMessage, kProgramTitle, MessageIcon::None);
}

}  // namespace zeb
