#pragma once
// The FTDI chip-driver calls the FTDI output makes, behind one interface so that tests can
// check the exact sequence without a chip. Results follow the driver: 0 or more = success,
// negative = error.

#include <cstdint>
#include <memory>

namespace zeb {

class FtdiCalls {
  public:
    virtual ~FtdiCalls() = default;
    // Opens the index-th device with these USB ids.
    virtual int UsbOpen(int vendor, int product, unsigned index) = 0;
    virtual int UsbClose() = 0;
    virtual int SetBitmode(uint8_t mask, uint8_t mode) = 0;
    virtual int SetBaudrate(int baud) = 0;
    // Bytes written, or negative on a USB error (an unplugged chip).
    virtual int WriteData(const uint8_t* data, int size) = 0;
    // Reads the pin levels without changing them; negative when the chip no longer answers.
    virtual int ReadPins(uint8_t* pins) = 0;
};

// The calls made through libftdi1 (one driver context for the object's lifetime).
std::unique_ptr<FtdiCalls> MakeLibFtdiCalls();

}  // namespace zeb
