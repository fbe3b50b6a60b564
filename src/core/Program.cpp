#include "core/Program.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

#include "audio/CaptureControl.h"
#include "audio/CaptureWatch.h"
#include "audio/SpectrumFolding.h"
#include "core/Settings.h"
#include "core/SettingsPath.h"
#include "engine/EngineTick.h"
#include "engine/ModuleLoad.h"
#include "engine/PeakHold.h"
#include "output/OutputToggles.h"
#include "output/parallel/LptAccess.h"

namespace zeb {

namespace {

const std::string kProgramTitle = "ZEB";

// The report of a failed read or save: what failed, then the error number, the step that
// failed (for example "... is a named pipe, not a regular file") and the error's description.
std::string FileFailureText(const std::string& what, const std::filesystem::path& path,
                            const std::system_error& error) {
    return what + path.string() + "\r\n\r\nerror " + std::to_string(error.code().value()) + ": " +
           error.what();
}

}  // namespace

Program::Program(ProgramModel& model, CaptureBackend& capture, OutputDevices& devices,
                 MessageSink& messages, ProgramTimers& timers, std::filesystem::path settingsPath,
                 DmxOutput::WhenOladAbsent whenOladAbsent)
    : model_(model),
      capture_(capture),
      devices_(devices),
      messages_(messages),
      timers_(timers),
      settingsPath_(std::move(settingsPath)),
      whenOladAbsent_(whenOladAbsent),
      outputs_(MakeOutputs(
          devices_,
          {model_.outputs, model_.combo1, model_.combo2, model_.dmx, &model_.serialPortLost},
          messages_)) {}

Program::Outcome Program::StartUp(UnreadableSettings unreadable) {
    // The sound library is linked into the program, so there is nothing to write out or load.
    std::error_code existsError;
    bool inputLevelStored = false;
    if (std::filesystem::exists(settingsPath_, existsError)) {
        try {
            inputLevelStored = LoadSettings(model_, settingsPath_.string());
        } catch (const std::system_error& error) {
            if (unreadable == UnreadableSettings::EndProgram) {
                messages_.ShowMessage(
                    FileFailureText("The settings could not be read from ", settingsPath_, error),
                    kProgramTitle, MessageIcon::Critical);
                Shutdown();
                return Outcome::EndProgram;
            }
            // Otherwise every setting keeps its initial value.
        } catch (const std::exception&) {
            // An unreadable settings file leaves every setting at its initial value.
        }
    }

    if (StartAudio(capture_, model_.capture, model_.storedDeviceIndex, messages_) ==
        AudioOutcome::EndProgram) {
        Shutdown();  // the engine ticked behind the message: no lamp keeps its frame
        return Outcome::EndProgram;
    }
    messages_.LogEvent("capture started: " + model_.capture.devices.Text());
    if (!inputLevelStored) {
        // Without a stored input volume (a first start, an empty or unreadable file) the
        // source keeps its own volume instead of being silenced for every program, and a
        // source boosted above 100 % keeps its boost: the slider only shows the volume.
        if (const auto volume = CurrentInputVolume(capture_, model_.capture)) {
            model_.sLevel.Set(InputLevelOfVolume(*volume));
        }
        sourceVolumeShown_ = model_.sLevel.Value();
    }

    timers_.StartSpectrumTimer();
    timers_.StartLevelTimer();
    if (model_.outputs.KeyboardSwitch.On()) {
        StartKeyboardOutput();
    }
    // The window's message boxes run the event loop, where a request to end the program may
    // arrive: once that has darkened and let go of everything, nothing more is started.
    if (ended_) {
        return Outcome::Running;
    }
    ApplyInputVolume();
    if (LptAccessFailsAtStartup(*devices_.port, model_.outputs)) {
        ReportPortAccessMissing();
    }
    if (model_.dmx.On() && !ended_) {
        StartDmxOutput();
    }
    FollowTempoWhenWanted();
    return Outcome::Running;
}

void Program::Activate() {
    if (ended_) {
        return;
    }
    outputs_.stage.Open();
    ApplyInputVolume();
}

void Program::SpectrumTick(CaptureTime when) {
    UpdateSpectrumAt(capture_, model_.capture.RecordHandle, model_.slider2,
                     model_.engine.SpectrumBands, model_.spectrumImage, when);
}

void Program::LevelTick(CaptureTime when) {
    PeakHoldTick(model_.engine,
                 DecodeLevel(capture_.ChannelGetLevelAt(model_.capture.RecordHandle, when)));
}

void Program::EngineTick() {
    if (ended_) {
        return;  // the lamps stay dark once the program is on its way out
    }
    const CaptureTime now = std::chrono::steady_clock::now();
    FollowTempoWhenWanted();
    beat_.Configure(model_.beat.every, model_.beat.flash.Value());
    beat_.Advance(now);
    zeb::EngineTick(model_.engine, model_.channels, model_.AutoMode.On(), model_.combo4.Text(),
                    beat_.FlashLit());
    WriteFrame(now);
}

std::optional<CaptureTime> Program::TimedTick(CaptureTime now) {
    if (ended_) {
        return std::nullopt;
    }
    std::optional<CaptureTime> next;
    if (tracker_) {
        while (const std::optional<BeatReport> beat = tracker_->Take()) {
            beat_.Heard(*beat);
        }
        beat_.Configure(model_.beat.every, model_.beat.flash.Value());
        if (beat_.Advance(now)) {
            WriteBeatFlash(now);
        }
        const std::optional<double> bpm = beat_.Bpm(now);
        model_.beat.readout = bpm ? std::to_string(std::lround(*bpm)) : "--";
        model_.beat.tapped = beat_.Tapped();
        next = beat_.NextChange(now);
    }
    WriteDelayedFrames(now);
    if (const auto due = delayed_.NextDue(); due && (!next || *due < *next)) {
        next = due;
    }
    return next;
}

void Program::TapTempo(CaptureTime now) {
    model_.beat.readoutShown = true;
    FollowTempoWhenWanted();
    if (tracker_) {
        beat_.Tap(now);
    }
}

void Program::FollowTempoWhenWanted() {
    const bool beatChannel = std::any_of(model_.channels.begin(), model_.channels.end(),
                                         [](const ChannelConfig& c) { return c.followsBeat; });
    const bool wanted = !ended_ && (beatChannel || model_.beat.readoutShown);
    if (wanted && !tracker_ && !tempoModuleMissing_) {
        if (const SampleRing* samples = capture_.Samples()) {
            if (tempoEntry_ == nullptr) {
                std::string problem;
                tempoEntry_ = reinterpret_cast<TempoModuleEntry>(LoadModuleEntry(
                    ProgramDirectory(), kTempoModuleFile, kTempoModuleEntry, problem));
                if (tempoEntry_ == nullptr) {
                    // Said once: the beat channels stay dark and the program runs on.
                    tempoModuleMissing_ = true;
                    messages_.ShowMessage(kTempoModuleMessage, kProgramTitle, MessageIcon::None,
                                          problem);
                }
            }
            if (tempoEntry_ != nullptr) {
                tracker_ = std::make_unique<TempoTracker>(*samples, tempoEntry_);
                messages_.LogEvent("tempo tracking started");
            }
        }
    } else if (!wanted && tracker_) {
        tracker_.reset();
        beat_.Reset();
        model_.beat.readout = "--";
        model_.beat.tapped = false;
        messages_.LogEvent("tempo tracking stopped");
    }
    model_.beat.tracking = tracker_ != nullptr;
}

void Program::WriteFrame(CaptureTime now) {
    const bool automatic = model_.AutoMode.On();
    const auto delay = std::chrono::milliseconds(model_.delay.ms.Value());
    if (delay.count() == 0) {
        if (!delayed_.Empty()) {
            // Frames still held back from a delay just taken away go first, in their order.
            EngineState fresh;
            CopyLamps(model_.engine, fresh);
            WriteDelayedFrames(CaptureTime::max());
            CopyLamps(fresh, model_.engine);
        }
        outputs_.stage.Write({model_.engine, model_.channels, automatic});
        CopyLamps(model_.engine, writtenLamps_);
        return;
    }
    delayed_.Push(now + delay, model_.engine, automatic);
    CopyLamps(model_.engine, newestLamps_);
    CopyLamps(writtenLamps_, model_.engine);
}

void Program::WriteBeatFlash(CaptureTime now) {
    if (std::none_of(model_.channels.begin(), model_.channels.end(),
                     [](const ChannelConfig& c) { return c.followsBeat; })) {
        return;
    }
    if (model_.delay.ms.Value() == 0 && delayed_.Empty()) {
        ApplyBeatFlash(model_.engine, model_.channels, beat_.FlashLit());
        outputs_.stage.Write({model_.engine, model_.channels, model_.AutoMode.On()});
        return;
    }
    // The flash goes into the newest frame made, not into the one the window shows now.
    EngineState frame = model_.engine;
    CopyLamps(newestLamps_, frame);
    ApplyBeatFlash(frame, model_.channels, beat_.FlashLit());
    CopyLamps(frame, newestLamps_);
    delayed_.Push(now + std::chrono::milliseconds(model_.delay.ms.Value()), frame,
                  model_.AutoMode.On());
}

void Program::WriteDelayedFrames(CaptureTime now) {
    while (const std::optional<FrameDelay::Frame> frame = delayed_.PopDue(now)) {
        outputs_.stage.Write({frame->state, model_.channels, frame->automatic});
        CopyLamps(frame->state, writtenLamps_);
        CopyLamps(frame->state, model_.engine);
    }
}

void Program::KeyboardTick() {
    KeyboardLedOutput& leds = outputs_.keyboard.Leds();
    if (leds.Running()) {
        leds.Tick(model_.engine.ChannelStates);
    }
}

bool Program::CaptureWatchTick() {
    const CaptureWatchResult watched = WatchCapture(capture_, model_.capture, messages_);
    if (watched.reopened) {
        // A source or server that came back has its own volume again: a volume the user set
        // goes on now, not at the next activation of the window (the headless program has
        // none).
        ApplyInputVolume();
    }
    return watched.listChanged;
}

bool Program::ExitCommand() {
    if (!Save()) {
        return false;
    }
    Shutdown();
    return true;
}

bool Program::Save() {
    try {
        std::filesystem::create_directories(settingsPath_.parent_path());
        SaveSettings(model_, settingsPath_.string());
    } catch (const std::system_error& error) {
        // Ending now would throw away every change of the run: report and run on.
        messages_.ShowMessage(
            FileFailureText("The settings could not be saved to ", settingsPath_, error),
            kProgramTitle, MessageIcon::Critical);
        return false;
    }
    return true;
}

void Program::Unload() {
    Shutdown();
}

void Program::Shutdown() {
    if (ended_) {
        return;
    }
    ended_ = true;
    tracker_.reset();
    delayed_.Clear();
    timers_.StopSpectrumTimer();
    timers_.StopKeyboardTimer();
    // No lamp may keep the last frame of a program that has gone: the keyboard LEDs too get
    // the keyboard's own lock states back.
    outputs_.stage.DarkenAndClose();
    StopCapture(capture_, model_.capture);
    messages_.LogEvent("every lamp dark, devices closed");
}

void Program::LptPressed() {
    if (!ToggleLpt(model_.outputs, model_.captions, *devices_.port)) {
        // Ending the program here would throw away every unsaved change of the run: report,
        // leave the output off and run on.
        ReportPortAccessMissing();
        model_.outputs.LptSwitch.Set(false);
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
void Program::DmxClicked() {
    if (!model_.dmx.On()) {
        ShowDmxSwitch(true);
        StartDmxOutput();
    } else {
        ShowDmxSwitch(false);
        outputs_.dmx.Stop();
    }
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
    if (SelectDevice(capture_, model_.capture, index, messages_) == AudioOutcome::EndProgram) {
        Shutdown();  // the program ends after its message: no lamp keeps the last frame
        return Outcome::EndProgram;
    }
    return Outcome::Running;
}

void Program::InputSelected(int32_t index) {
    SelectInput(capture_, model_.capture, index);
}

void Program::InputLevelMoved() {
    sourceVolumeShown_.reset();
    levelin(capture_, model_.capture, model_.sLevel);
}

void Program::ApplyInputVolume() {
    if (sourceVolumeShown_ && model_.sLevel.Value() == *sourceVolumeShown_) {
        return;
    }
    sourceVolumeShown_.reset();
    levelin(capture_, model_.capture, model_.sLevel);
}

void Program::AddressBoxFocusLost() {
    if (LptAccessMissing(*devices_.port, model_.combo1.Text())) {
        ReportPortAccessMissing();
    }
    // Taken whatever the check said.
    model_.outputs.LptAddressText = model_.combo1.Text();
}

void Program::StartKeyboardOutput() {
    if (outputs_.keyboard.Leds().Start()) {
        messages_.LogEvent("keyboard LEDs opened");
        timers_.StartKeyboardTimer();
        return;
    }
    // Without keyboard access the output stays off and the program runs on, also at start-up.
    messages_.ShowMessage(kKeyboardMessage, kProgramTitle, MessageIcon::None,
                          devices_.keyboard->OpenProblem());
    model_.outputs.KeyboardSwitch.Set(false);
    model_.captions.label12 = colours::Grey;
}

void Program::StopKeyboardOutput() {
    timers_.StopKeyboardTimer();
    outputs_.keyboard.Leds().Stop();
}

void Program::StartDmxOutput() {
    if (const auto failure = outputs_.dmx.Start(whenOladAbsent_)) {
        // As with the keyboard: the output stays off and the program runs on.
        messages_.ShowMessage(failure->text, kProgramTitle, MessageIcon::None, failure->detail);
        ShowDmxSwitch(false);
    }
}

void Program::ShowDmxSwitch(bool on) {
    model_.dmx.DmxSwitch.Set(on);
    model_.dmx.caption = on ? colours::Blue : colours::Grey;
}

void Program::ReportPortAccessMissing() {
    const std::string address = model_.combo1.Text();
    const std::string problem = devices_.port->AccessProblem();
    messages_.ShowMessage(kLptMessage, kProgramTitle, MessageIcon::None,
                          "parallel port " + (address.empty() ? "(no address chosen)" : address) +
                              (problem.empty() ? "" : ": " + problem));
}

}  // namespace zeb
