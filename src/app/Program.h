#pragma once
// The whole program without its window: start-up, activation, the timer ticks, the user's
// commands, the save-and-exit command and the unload. The window host calls these on its one
// event-loop thread; everything it shows is in the model.

#include <cstdint>
#include <filesystem>

#include "app/ProgramModel.h"
#include "app/ProgramTimers.h"
#include "audio/CaptureBackend.h"
#include "engine/MessageSink.h"
#include "output/Devices.h"
#include "output/KeyboardLedOutput.h"

namespace zeb {

class Program {
  public:
    enum class Outcome { Running, EndProgram };

    Program(ProgramModel& model, CaptureBackend& capture, OutputDevices& devices,
            MessageSink& messages, ProgramTimers& timers, std::filesystem::path settingsPath);

    // The window's load: settings, capture, timers, keyboard LEDs, input volume, port check.
    Outcome StartUp();
    // Every activation of the window: FTDI, serial port, input volume.
    void Activate();

    void SpectrumTick();
    void LevelTick();
    // The engine tick followed by the output stage.
    void EngineTick();
    void KeyboardTick();

    // The save-and-exit button. The caller ends the program when this returns.
    void ExitCommand();
    // The window closed any other way: nothing is saved.
    void Unload();

    void LptPressed();
    void ComClicked();
    void FtdiClicked();
    void KeyboardClicked();
    void Usb3Clicked();
    void Usb8Clicked();
    void AutoPressed();
    Outcome DeviceSelected(int32_t index);
    void InputSelected(int32_t index);
    void InputLevelMoved();
    void AddressBoxFocusLost();

    const std::filesystem::path& SettingsPath() const { return settingsPath_; }

  private:
    void StartKeyboardOutput();
    void StopKeyboardOutput();
    void ReportPortAccessMissing();

    ProgramModel& model_;
    CaptureBackend& capture_;
    OutputDevices& devices_;
    MessageSink& messages_;
    ProgramTimers& timers_;
    std::filesystem::path settingsPath_;
    KeyboardLedOutput keyboard_;
};

}  // namespace zeb
