#include "output/LptAccess.h"

namespace zeb {

const std::string kLptMessage = "LPT порт отсутствует , неисправен или неверно указан адрес";

bool LptAccessFailsOnSwitchOn(PortIo& port) {
    return !port.InitializeWinIo();
}

bool LptAccessFailsOnAddressFocusLost(PortIo& port, OutputSelection& outputs,
                                      const std::string& addressBoxText) {
    const bool fails = !port.InitializeWinIo();
    outputs.LptAddressText = addressBoxText;
    return fails;
}

bool LptAccessFailsAtStartup(PortIo& port, const OutputSelection& outputs) {
    return outputs.LptSwitch == "LPT" && !port.InitializeWinIo();
}

}  // namespace zeb
