#include "output/DarkOutputs.h"

#include "engine/EngineState.h"
#include "output/OutputStage.h"
#include "output/ftdi/FtdiSetup.h"

namespace zeb {

namespace {

bool IsSerialMode(const std::string& mode) {
    return mode == "COM" || mode == "USB8LED" || mode == "USB3LED";
}

}  // namespace

void DrivenOutputs::Note(const OutputSelection& selection) {
    parallel_ = parallel_ || selection.LptSwitch == "LPT";
    if (IsSerialMode(selection.OutputMode)) {
        serialMode_ = selection.OutputMode;
    }
}

OutputSelection DrivenOutputs::ToDarken(const OutputSelection& now) const {
    OutputSelection darken = now;
    if (parallel_) {
        darken.LptSwitch = "LPT";
    }
    if (!serialMode_.empty()) {
        darken.OutputMode = serialMode_;
    }
    return darken;
}

void DarkenEveryOutput(const OutputSelection& selection, const std::string& addressBoxText,
                       OutputDevices& devices, KeyboardLedOutput& keyboard) {
    const EngineState dark{};  // every channel dark
    if (devices.ftdi) {
        FtdiShutdown(*devices.ftdi);
    }
    if (selection.LptSwitch == "LPT" && devices.port) {
        WriteParallelFrame(selection, addressBoxText, dark, *devices.port);
    }
    if (devices.serial) {
        WriteSerialFrame(selection.OutputMode, dark, *devices.serial);
        devices.serial->SetPortOpen(false);
    }
    keyboard.Stop();
}

}  // namespace zeb
