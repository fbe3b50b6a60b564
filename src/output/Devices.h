#pragma once
// The write primitives of the lamp outputs. The output stage writes every engine tick
// through these; Linux drivers, simulated drivers and test fakes implement them. None of
// them may block the tick: a missing or unplugged device makes a call fail, nothing more.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/dmx/DmxFrame.h"

namespace zeb {

// Parallel port: direct access to the port's registers.
class PortIo {
  public:
    virtual ~PortIo() = default;
    // True when register writes can reach the port at `base`, the address the writes are for
    // (a claimable parallel-port device there, or raw port I/O permitted to this process for
    // that port); without a base (an address that is no port number), whether any port can
    // be reached.
    virtual bool InitializeWinIo(std::optional<uint16_t> base) = 0;
    // Writes the low byte of `value` to I/O port `port`; `size` is always 1. False when the
    // write could not be made.
    virtual bool SetPortVal(uint16_t port, uint32_t value, int size) = 0;
    // Why the last InitializeWinIo found no access, for the log line: the devices tried and the
    // system's reasons. Empty when the driver cannot tell.
    virtual std::string AccessProblem() const { return {}; }
};

// One step of the lamp frame a serial port plays: a DTR or RTS level, or bytes to send.
struct SerialStep {
    enum class Kind { Dtr, Rts, Bytes };
    Kind kind = Kind::Bytes;
    bool asserted = false;  // Dtr, Rts
    std::string bytes;      // Bytes

    static SerialStep Dtr(bool asserted) { return {Kind::Dtr, asserted, {}}; }
    static SerialStep Rts(bool asserted) { return {Kind::Rts, asserted, {}}; }
    static SerialStep Send(std::string_view bytes) {
        return {Kind::Bytes, false, std::string(bytes)};
    }
};
using SerialFrame = std::vector<SerialStep>;

// An open serial port that went away on its own: the device it was opened by and the system's
// reason ("Input/output error" for a USB adapter pulled out).
struct SerialLoss {
    std::string device;
    std::string reason;
};

// Serial port driven through its modem-control lines and its transmit line.
class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Opens (true) or closes (false) the port chosen with SetCommPort / SetCommDevice.
    virtual bool SetPortOpen(bool open) = 0;
    // Chooses port number n (1 = the first serial port of the computer).
    virtual bool SetCommPort(int16_t number) = 0;
    // Chooses a port by its device path ("/dev/ttyUSB0").
    virtual bool SetCommDevice(const std::string& path) = 0;
    // Line settings text, "115200,N,8,1".
    virtual bool SetSettings(const std::string& settings) = 0;
    virtual bool SetDTREnable(bool asserted) = 0;
    virtual bool SetRTSEnable(bool asserted) = 0;
    // Queues the bytes for transmission without waiting for them to leave.
    virtual bool Output(std::string_view bytes) = 0;
    // One tick's lamp frame, step by step. A driver of a real port lets each step's bytes
    // leave the wire before the next line change, on a thread of its own, so the tick never
    // waits. This default plays the steps at once through the calls above; true when every
    // step succeeded.
    virtual bool WriteFrame(const SerialFrame& frame) {
        bool all = true;
        for (const auto& step : frame) {
            switch (step.kind) {
                case SerialStep::Kind::Dtr:
                    all = SetDTREnable(step.asserted) && all;
                    break;
                case SerialStep::Kind::Rts:
                    all = SetRTSEnable(step.asserted) && all;
                    break;
                case SerialStep::Kind::Bytes:
                    all = Output(step.bytes) && all;
                    break;
            }
        }
        return all;
    }
    // Once, after the open port went away on its own (a USB adapter pulled out): the port is
    // closed by then, and SetPortOpen(true) opens the same device again once it is back. A
    // driver that cannot tell never reports a loss.
    virtual std::optional<SerialLoss> TakeLoss() { return std::nullopt; }
};

// FTDI chip in bit-bang mode. Results follow the chip driver's convention: 0 = success.
class FtdiDevice {
  public:
    virtual ~FtdiDevice() = default;
    virtual int Open(int index) = 0;
    virtual int SetBitMode(uint8_t mask, uint8_t mode) = 0;
    virtual int SetBaudRate(int baud) = 0;
    virtual int Write(uint8_t byte) = 0;
    virtual int Close() = 0;
};

// The keyboard's own lock states, which its LEDs show when no program drives them.
struct KeyboardLockStates {
    bool scroll = false;
    bool num = false;
    bool caps = false;
};

// Asks whoever keeps the lock states (the display server) for them; nullopt when it cannot
// tell.
using LockStateQuery = std::function<std::optional<KeyboardLockStates>()>;

// The keyboard's Num Lock, Caps Lock and Scroll Lock indicators.
class KeyboardLedDevice {
  public:
    virtual ~KeyboardLedDevice() = default;
    // Opens the keyboard device for writing; false when none can be opened.
    virtual bool Open() = 0;
    virtual bool IsOpen() const = 0;
    // Why the last Open failed, for the log line: the devices tried and the system's reasons.
    // Empty when the driver cannot tell.
    virtual std::string OpenProblem() const { return {}; }
    virtual bool SetLeds(bool scroll, bool num, bool caps) = 0;
    // Makes the LEDs show the keyboard's own lock states again.
    virtual bool RestoreLeds() = 0;
    virtual void Close() = 0;
};

// The connection to the lighting daemon that carries DMX universes to the lamps (OLA's
// olad, which speaks Art-Net, sACN and USB widgets). Used from one thread at a time; calls
// may take as long as the daemon makes them, so the engine tick never calls them itself.
class DmxLink {
  public:
    virtual ~DmxLink() = default;
    // False when the daemon does not answer.
    virtual bool Connect() = 0;
    // The frame's universe with the frame's levels at its slots and 0 at every other slot.
    // False when the connection is gone; Connect again to go on.
    virtual bool Send(const DmxFrame& frame) = 0;
    virtual void Disconnect() = 0;
};

// A new, unconnected link to the daemon listening on `rpcPort` of this computer; nullptr, with
// the reason in `problem`, when this computer cannot make one (OLA's client library missing).
using DmxLinkFactory =
    std::function<std::unique_ptr<DmxLink>(uint16_t rpcPort, std::string& problem)>;

// The devices the program drives, owned together.
struct OutputDevices {
    std::unique_ptr<PortIo> port;
    std::unique_ptr<SerialPort> serial;
    std::unique_ptr<FtdiDevice> ftdi;
    std::unique_ptr<KeyboardLedDevice> keyboard;
    // Empty when this build or run has no DMX output.
    DmxLinkFactory dmx;
};

}  // namespace zeb
