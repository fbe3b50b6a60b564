#include "output/parallel/LptAccess.h"

namespace zeb {

const std::string kLptMessage = "LPT порт отсутствует , неисправен или неверно указан адрес";

bool LptAccessMissing(PortIo& port) {
    return !port.InitializeWinIo();
}

bool LptAccessFailsAtStartup(PortIo& port, const OutputSelection& outputs) {
    return outputs.LptSwitch.On() && !port.InitializeWinIo();
}

}  // namespace zeb
