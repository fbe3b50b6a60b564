#pragma once
// Fake lamp devices that append every call, as one text line, to a log shared by all of them,
// so a test sees the exact order of writes across devices.

#include <string>
#include <vector>

#include "output/Devices.h"

namespace zeb::testing {

using CallLog = std::vector<std::string>;

class RecordingPort : public PortIo {
  public:
    explicit RecordingPort(CallLog& log, bool initializes = true)
        : log_(log), initializes_(initializes) {}
    bool InitializeWinIo() override;
    bool SetPortVal(uint16_t port, uint32_t value, int size) override;

  private:
    CallLog& log_;
    bool initializes_;
};

class RecordingSerial : public SerialPort {
  public:
    explicit RecordingSerial(CallLog& log) : log_(log) {}
    bool SetPortOpen(bool open) override;
    bool SetCommPort(int16_t number) override;
    bool SetCommDevice(const std::string& path) override;
    bool SetSettings(const std::string& settings) override;
    bool SetDTREnable(bool asserted) override;
    bool SetRTSEnable(bool asserted) override;
    bool Output(std::string_view bytes) override;

  private:
    CallLog& log_;
};

class RecordingFtdi : public FtdiDevice {
  public:
    explicit RecordingFtdi(CallLog& log) : log_(log) {}
    int Open(int index) override;
    int SetBitMode(uint8_t mask, uint8_t mode) override;
    int SetBaudRate(int baud) override;
    int Write(uint8_t byte) override;
    int Close() override;

  private:
    CallLog& log_;
};

// A keyboard that cannot be opened: outputs that need one get it, and it records nothing.
class AbsentKeyboard : public KeyboardLedDevice {
  public:
    bool Open() override { return false; }
    bool IsOpen() const override { return false; }
    bool SetLeds(bool, bool, bool) override { return false; }
    bool RestoreLeds() override { return false; }
    void Close() override {}
};

// Port, serial port and FTDI device, all recording into `log`, and an absent keyboard.
OutputDevices RecordingDevices(CallLog& log);

}  // namespace zeb::testing
