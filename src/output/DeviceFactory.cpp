#include "output/DeviceFactory.h"

#include <cstdlib>
#include <utility>

#include "output/SimulatedDevices.h"
#include "output/SimulationLog.h"
#include "output/dmx/OlaModule.h"
#include "output/ftdi/LinuxFtdiDevice.h"
#include "output/keyboard/KeyboardLedsWithFallback.h"
#include "output/keyboard/LedClassKeyboardLeds.h"
#include "output/keyboard/LinuxKeyboardLeds.h"
#include "output/parallel/LinuxPortIo.h"
#include "output/serial/LinuxSerialPort.h"

namespace zeb {

std::string SimulateFolder() {
    const char* folder = std::getenv(kSimulateVariable);
    return folder != nullptr ? folder : "";
}

void NoteCaptureStart(std::chrono::steady_clock::time_point programStart) {
    const std::string folder = SimulateFolder();
    if (folder.empty()) {
        return;
    }
    SimulationLog log(std::filesystem::path(folder) / "audio.log", MillisecondsSince(programStart));
    log.Line("capture start");
}

OutputDevices MakeOutputDevices(const std::string& simulateFolder,
                                std::chrono::steady_clock::time_point programStart,
                                LockStateQuery lockStates,
                                const std::filesystem::path& programFolder) {
    OutputDevices devices;
    if (!simulateFolder.empty()) {
        const std::filesystem::path folder(simulateFolder);
        const auto clock = MillisecondsSince(programStart);
        devices.port = std::make_unique<SimulatedPortIo>(folder, clock);
        devices.serial = std::make_unique<SimulatedSerialPort>(folder, clock);
        devices.ftdi = std::make_unique<SimulatedFtdiDevice>(folder, clock);
        devices.keyboard = std::make_unique<SimulatedKeyboardLeds>(folder, clock);
        devices.dmx = [folder, clock](uint16_t rpcPort, std::string& /*problem*/) {
            return std::make_unique<SimulatedDmxLink>(folder, clock, rpcPort);
        };
        return devices;
    }
    const auto system = MakeLinuxSystemCalls();
    devices.port = std::make_unique<LinuxPortIo>(system);
    devices.serial = std::make_unique<LinuxSerialPort>(MakeLibSerialPortCalls);
    devices.ftdi = std::make_unique<LinuxFtdiDevice>(MakeLibFtdiCalls());
    // The LED class files need no access to keystrokes; the input device is the fallback.
    devices.keyboard = std::make_unique<KeyboardLedsWithFallback>(
        std::make_unique<LedClassKeyboardLeds>(system, LedClassKeyboardLeds::kLedsFolder,
                                               lockStates),
        std::make_unique<LinuxKeyboardLeds>(system, lockStates));
    devices.dmx = OlaDmxLinks(programFolder);
    return devices;
}

}  // namespace zeb
