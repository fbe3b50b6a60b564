#include "output/DarkOutputs.h"

#include "engine/EngineState.h"
#include "output/FtdiSetup.h"
#include "output/OutputStage.h"

namespace zeb {

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
