#include "output/parallel/LptAccess.h"

#include "output/OutputStage.h"

namespace zeb {

const std::string kLptMessage = "LPT порт отсутствует , неисправен или неверно указан адрес";

bool LptAccessMissing(PortIo& port, const std::string& addressText) {
    return !port.InitializeWinIo(ReadHexPort(addressText));
}

bool LptAccessFailsAtStartup(PortIo& port, const OutputSelection& outputs) {
    return outputs.LptSwitch == "LPT" && !port.InitializeWinIo(ReadHexPort(outputs.LptAddressText));
}

}  // namespace zeb
