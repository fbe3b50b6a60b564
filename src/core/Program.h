#pragma once
// The whole program without its window: start-up, activation, the timer ticks, the user's
// commands and the ways out. The window host and the headless service call these on their one
// event-loop thread; everything the window shows is in the model.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

#include "audio/CaptureBackend.h"
#include "audio/TempoTracker.h"
#include "core/FrameDelay.h"
#include "core/ProgramModel.h"
#include "core/ProgramTimers.h"
#include "engine/BeatClock.h"
#include "engine/MessageSink.h"
#include "output/Devices.h"
#include "output/OutputFactory.h"

namespace zeb {

class Program {
  public:
    enum class Outcome { Running, EndProgram };

    // `whenOladAbsent`: what starting the DMX output does when no olad answers.
    Program(ProgramModel& model, CaptureBackend& capture, OutputDevices& devices,
            MessageSink& messages, ProgramTimers& timers, std::filesystem::path settingsPath,
            DmxOutput::WhenOladAbsent whenOladAbsent = DmxOutput::WhenOladAbsent::SwitchOff);

    // What start-up does with a settings file that is there but cannot be read.
    enum class UnreadableSettings { StartFresh, EndProgram };

    // The window's load: settings, capture, timers, keyboard LEDs, input volume, port check,
    // then the DMX output when it is switched on.
    // The window starts an unreadable settings file afresh; the headless service, which could
    // not show what it would then drive, reports it and ends. Ending darkens every lamp.
    // When the program is ended (Unload) behind a message of the start-up, start-up stops
    // there; Ended() tells.
    Outcome StartUp(UnreadableSettings unreadable = UnreadableSettings::StartFresh);
    // Every activation of the window: FTDI, serial port, input volume.
    void Activate();

    // The spectrum refresh and the peak hold as of `when`, a moment no later than now: from
    // the samples captured by then.
    void SpectrumTick(CaptureTime when);
    void LevelTick(CaptureTime when);
    // The engine tick followed by the output stage, then the DMX frame.
    void EngineTick();
    void KeyboardTick();
    // The work that is due at moments of its own rather than on the ticks: the beat channels'
    // flashes at the predicted beats, and the frames the output delay held back. Returns when
    // it is next due (nullopt: nothing pending).
    std::optional<CaptureTime> TimedTick(CaptureTime now);
    // A tap on the tempo readout; the readout is in use from then on.
    void TapTempo(CaptureTime now);
    // The slow look at the sound system that takes a lost capture up again, at the input
    // volume of the slider, and keeps the device list in step with it; true when the device
    // list or its selection changed.
    bool CaptureWatchTick();

    // The save-and-exit button: saves, then every lamp dark and every device let go; the
    // caller then ends the program. False when the save failed: its message has been shown and
    // the program runs on untouched (lamps, settings, devices), so the user can mend the cause
    // and press again.
    bool ExitCommand();
    // Saves the settings and runs on; false when the save failed (its message has been shown).
    bool Save();
    // Leaving without saving (the window closed another way, or the system asked the program
    // to end): every lamp dark and every device let go. The caller then ends the program.
    void Unload();
    // Whether a way out has run: from then on no tick or activation touches a device.
    bool Ended() const { return ended_; }

    void LptPressed();
    void ComClicked();
    void FtdiClicked();
    void KeyboardClicked();
    void Usb3Clicked();
    void Usb8Clicked();
    void DmxClicked();
    void AutoPressed();
    // The user picked a capture device; a device that cannot capture ends the program, lamps
    // dark.
    Outcome DeviceSelected(int32_t index);
    void InputSelected(int32_t index);
    void InputLevelMoved();
    void AddressBoxFocusLost();

    const std::filesystem::path& SettingsPath() const { return settingsPath_; }
    // The outputs in use with their states, for the status lines ("COM, LPT 378"; "none").
    std::string OutputsInUse() const { return outputs_.stage.InUse(); }

  private:
    void StartKeyboardOutput();
    void StopKeyboardOutput();
    void ReportPortAccessMissing();
    // The input-volume slider's volume to the source, unless the slider still only shows the
    // source's own volume (none stored, not moved since).
    void ApplyInputVolume();
    // What every way out does after the save (if any): lamps dark, devices and capture freed.
    void Shutdown();
    // Connects to olad; when it does not answer (unless the program waits for it) or OLA's
    // library cannot be loaded, shows why and switches DMX off.
    void StartDmxOutput();
    // The "DMX" key's setting and colour.
    void ShowDmxSwitch(bool on);
    // Starts the tempo tracker while a channel follows the beat or the readout is in use, and
    // stops it otherwise.
    void FollowTempoWhenWanted();
    // The tick's frame (or a beat flash's) to every output, now or, with an output delay, when
    // it is due; with a delay the model's lamps go on showing the frame last written.
    void WriteFrame(CaptureTime now);
    // A flash of the beat channels came on or went off between ticks.
    void WriteBeatFlash(CaptureTime now);
    // The frames the delay held back that are due by `now`.
    void WriteDelayedFrames(CaptureTime now);

    ProgramModel& model_;
    CaptureBackend& capture_;
    OutputDevices& devices_;
    MessageSink& messages_;
    ProgramTimers& timers_;
    std::filesystem::path settingsPath_;
    DmxOutput::WhenOladAbsent whenOladAbsent_;
    Outputs outputs_;
    bool ended_ = false;
    // Without a stored input volume: the slider position that shows the source's own volume,
    // until the user moves the slider.
    std::optional<int32_t> sourceVolumeShown_;

    BeatClock beat_;
    TempoModuleEntry tempoEntry_ = nullptr;
    bool tempoModuleMissing_ = false;
    std::unique_ptr<TempoTracker> tracker_;
    FrameDelay delayed_;
    // With a delay: the lamps of the newest frame made, and of the frame last written.
    EngineState newestLamps_;
    EngineState writtenLamps_;
};

}  // namespace zeb
