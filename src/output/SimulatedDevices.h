#pragma once
// Lamp devices that are present (but for a serial adapter pulled out on purpose, below) and
// only write what they are asked to do into a log in a folder: lpt.log, serial.log, ftdi.log,
// kbd.log and dmx.log. For people without the hardware and for end-to-end tests. Operations that
// would fail on a real device because it is not open (serial lines and bytes while the port is
// closed, FTDI calls before opening) return failure and log nothing, since nothing would reach the
// lamps.

#include <filesystem>
#include <optional>
#include <string>

#include "output/Devices.h"
#include "output/SimulationLog.h"

namespace zeb {

class SimulatedPortIo final : public PortIo {
  public:
    SimulatedPortIo(const std::filesystem::path& folder, MillisecondClock clock);
    bool InitializeWinIo(std::optional<uint16_t> base) override;
    bool SetPortVal(uint16_t port, uint32_t value, int size) override;

  private:
    SimulationLog log_;
};

// The serial port is a USB adapter that can be pulled out: while the file "serial.unplugged"
// exists in the folder it cannot be opened, and an open port is lost at its next call.
class SimulatedSerialPort final : public SerialPort {
  public:
    static constexpr const char* kUnpluggedFile = "serial.unplugged";

    SimulatedSerialPort(const std::filesystem::path& folder, MillisecondClock clock);
    bool SetPortOpen(bool open) override;
    bool SetCommPort(int16_t number) override;
    bool SetCommDevice(const std::string& path) override;
    bool SetSettings(const std::string& settings) override;
    bool SetDTREnable(bool asserted) override;
    bool SetRTSEnable(bool asserted) override;
    bool Output(std::string_view bytes) override;
    std::optional<SerialLoss> TakeLoss() override;

  private:
    bool LineChange(const char* line, bool asserted);
    // False, with the port lost, when it was pulled out.
    bool StillThere();

    SimulationLog log_;
    std::filesystem::path unplugged_;
    std::string device_ = "simulated port";
    bool open_ = false;
    std::optional<SerialLoss> lost_;
};

class SimulatedFtdiDevice final : public FtdiDevice {
  public:
    SimulatedFtdiDevice(const std::filesystem::path& folder, MillisecondClock clock);
    int Open(int index) override;
    int SetBitMode(uint8_t mask, uint8_t mode) override;
    int SetBaudRate(int baud) override;
    int Write(uint8_t byte) override;
    int Close() override;

  private:
    SimulationLog log_;
    bool open_ = false;
};

// A keyboard whose own lock states are all off.
class SimulatedKeyboardLeds final : public KeyboardLedDevice {
  public:
    SimulatedKeyboardLeds(const std::filesystem::path& folder, MillisecondClock clock);
    bool Open() override;
    bool IsOpen() const override { return open_; }
    bool SetLeds(bool scroll, bool num, bool caps) override;
    bool RestoreLeds() override;
    void Close() override;

  private:
    SimulationLog log_;
    bool open_ = false;
};

// A lighting daemon that always answers.
class SimulatedDmxLink final : public DmxLink {
  public:
    SimulatedDmxLink(const std::filesystem::path& folder, MillisecondClock clock, uint16_t rpcPort);
    bool Connect() override;
    bool Send(const DmxFrame& frame) override;
    void Disconnect() override;

  private:
    SimulationLog log_;
    uint16_t rpcPort_;
    bool open_ = false;
};

}  // namespace zeb
