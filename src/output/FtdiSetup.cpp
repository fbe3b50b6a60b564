#include "output/FtdiSetup.h"

namespace zeb {

void ftdiinit(FtdiDevice& device) {
    if (device.Open(0) != 0) {
        return;
    }
    if (device.SetBitMode(kFtdiAllPinsOutput, kFtdiBitBangMode) != 0) {
        return;
    }
    device.SetBaudRate(kFtdiBaudRate);
}

void FtdiShutdown(FtdiDevice& device) {
    device.Write(0);
    device.Close();
}

}  // namespace zeb
