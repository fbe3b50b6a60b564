#pragma once
// A serial port on Linux. Port number n is the n-th serial port the computer lists, by
// device name in natural order (/dev/ttyS0, /dev/ttyS1, ..., /dev/ttyS10, /dev/ttyUSB0);
// a device path may be given instead. Output is queued without waiting, and every failure
// (no such port, port busy, no permission) only makes the call return false.

#include <memory>
#include <string>

#include "output/Devices.h"
#include "output/SerialCalls.h"
#include "output/SerialLineSettings.h"

namespace zeb {

class LinuxSerialPort : public SerialPort {
  public:
    explicit LinuxSerialPort(std::shared_ptr<SerialCalls> calls);

    // Opening applies the line settings and the DTR and RTS levels chosen so far.
    bool SetPortOpen(bool open) override;
    // Takes effect at the next opening. False, and no port chosen, when there is no n-th port.
    bool SetCommPort(int16_t number) override;
    bool SetCommDevice(const std::string& path) override;
    // False, and the settings unchanged, for a text that is not "baud,parity,bits,stop".
    bool SetSettings(const std::string& settings) override;
    // The level is kept while the port is closed and applied when it opens; false while closed.
    bool SetDTREnable(bool asserted) override;
    bool SetRTSEnable(bool asserted) override;
    // True only when every byte was queued.
    bool Output(std::string_view bytes) override;

  private:
    std::shared_ptr<SerialCalls> calls_;
    std::string device_;
    SerialLineSettings settings_;
    // A tty raises both lines when it opens.
    bool dtr_ = true;
    bool rts_ = true;
    bool open_ = false;
};

}  // namespace zeb
