#include "output/ftdi/LinuxFtdiDevice.h"

namespace zeb {
namespace {
constexpr int kNotOpen = -1;
}

LinuxFtdiDevice::LinuxFtdiDevice(std::shared_ptr<FtdiCalls> calls) : calls_(std::move(calls)) {}

LinuxFtdiDevice::~LinuxFtdiDevice() {
    Close();
}

int LinuxFtdiDevice::Open(int index) {
    if (open_) {
        // A chip unplugged and plugged in again while nothing was written to it leaves a dead
        // handle: keep the handle only while the chip still answers.
        uint8_t pins = 0;
        if (calls_->ReadPins(&pins) >= 0) {
            return 0;
        }
        Close();
    }
    if (index < 0) {
        return kNotOpen;
    }
    int result = kNotOpen;
    for (const int product : kFtdiProducts) {
        result = calls_->UsbOpen(kFtdiVendor, product, static_cast<unsigned>(index));
        if (result == 0) {
            open_ = true;
            return 0;
        }
    }
    return result;
}

int LinuxFtdiDevice::SetBitMode(uint8_t mask, uint8_t mode) {
    return open_ ? calls_->SetBitmode(mask, mode) : kNotOpen;
}

int LinuxFtdiDevice::SetBaudRate(int baud) {
    return open_ ? calls_->SetBaudrate(baud) : kNotOpen;
}

int LinuxFtdiDevice::Write(uint8_t byte) {
    if (!open_) {
        return kNotOpen;
    }
    const int written = calls_->WriteData(&byte, 1);
    if (written < 0) {
        Close();
        return written;
    }
    return written == 1 ? 0 : kNotOpen;
}

int LinuxFtdiDevice::Close() {
    if (!open_) {
        return 0;
    }
    open_ = false;
    return calls_->UsbClose();
}

}  // namespace zeb
