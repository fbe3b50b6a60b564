#include "output/parallel/LptAccess.h"

#include "output/parallel/ParallelFrame.h"

namespace zeb {

const std::string kLptMessage = "LPT порт отсутствует , неисправен или неверно указан адрес";

bool LptAccessMissing(PortIo& port, const std::string& addressText) {
    return !port.InitializeWinIo(ReadHexPort(addressText));
}

bool LptAccessFailsAtStartup(PortIo& port, const OutputSelection& outputs) {
    return outputs.LptSwitch.On() && !port.InitializeWinIo(ReadHexPort(outputs.LptAddressText));
}

}  // namespace zeb
