#pragma once
// An FTDI chip in bit-bang mode through libftdi1: the first chip of the common products
// (FT232R/FT245R, FT2232, FT4232, FT232H, FT-X). Needs write access to the USB device (a
// udev rule). An open chip that still answers stays open when opened again, so a working
// handle is never lost; a dead handle (the chip was unplugged) is closed, by a failing write
// or at the next opening, and that opening finds the chip afresh.

#include <memory>

#include "output/Devices.h"
#include "output/ftdi/FtdiCalls.h"

namespace zeb {

inline constexpr int kFtdiVendor = 0x0403;
inline constexpr int kFtdiProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};

class LinuxFtdiDevice final : public FtdiDevice {
  public:
    explicit LinuxFtdiDevice(std::shared_ptr<FtdiCalls> calls);
    ~LinuxFtdiDevice() override;
    LinuxFtdiDevice(const LinuxFtdiDevice&) = delete;
    LinuxFtdiDevice& operator=(const LinuxFtdiDevice&) = delete;

    // Tries the products in the order above, each at the given index; 0 when one opened or
    // the chip is open already and answers.
    int Open(int index) override;
    int SetBitMode(uint8_t mask, uint8_t mode) override;
    int SetBaudRate(int baud) override;
    int Write(uint8_t byte) override;
    int Close() override;

  private:
    std::shared_ptr<FtdiCalls> calls_;
    bool open_ = false;
};

}  // namespace zeb
