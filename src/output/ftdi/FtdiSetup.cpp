#include "output/ftdi/FtdiSetup.h"

namespace zeb {

bool ftdiinit(FtdiDevice& device) {
    if (device.Open(0) != 0) {
        return false;
    }
    if (device.SetBitMode(kFtdiAllPinsOutput, kFtdiBitBangMode) != 0) {
        return false;
    }
    device.SetBaudRate(kFtdiBaudRate);
    return true;
}

void FtdiShutdown(FtdiDevice& device) {
    device.Write(0);
    device.Close();
}

}  // namespace zeb
