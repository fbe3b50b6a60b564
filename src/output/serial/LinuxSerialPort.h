#pragma once
// A serial port on Linux. Port number n is the n-th serial port the computer lists, by
// device name in natural order (/dev/ttyS0, /dev/ttyS1, ..., /dev/ttyS10, /dev/ttyUSB0);
// a device path may be given instead. Output queues bytes without waiting for them to leave,
// and every failure (no such port, port busy, no permission) only makes the call return false.
//
// Lamp frames are played by a writer thread of the port's own: a shift register clocked by
// the transmit line needs each DTR level to hold until the byte queued after it has left the
// wire, which at 115200 baud is 87 us per byte and far more on a USB adapter. The writer
// drains the transmitter after every step's bytes; the tick only hands the frame over. A newer
// frame replaces one that has not started, never one in progress. Every other call first lets
// the frames finish (at most kFinishLimit, then the rest is dropped), so a frame written just
// before the port closes, or the driver goes away, still reaches the lamps.
//
// A transmitter that never drains (a stalled USB adapter, flow control stuck) must not hold
// the program either: when the writer is still inside a step at the end of kFinishLimit, the
// port handle is left to it. It stops after that step and closes the handle itself, whenever
// the drain returns; the driver goes on at once with a fresh handle, closed until the next
// opening. Until the writer left behind has let go, that device is not opened again.
//
// A step that fails on a line the system has hung up (its USB adapter pulled out) makes the
// writer close the handle at once, so the device's name is free for the adapter when it comes
// back, and drop every frame until the owner has taken the loss.

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "output/Devices.h"
#include "output/serial/SerialCalls.h"
#include "output/serial/SerialLineSettings.h"

namespace zeb {

// Makes the library calls for one port handle: one at the start, and another each time a
// stalled port is left to its writer.
using SerialCallsMaker = std::function<std::shared_ptr<SerialCalls>()>;

class LinuxSerialPort : public SerialPort {
  public:
    static constexpr std::chrono::milliseconds kFinishLimit{500};

    explicit LinuxSerialPort(SerialCallsMaker makeCalls);
    ~LinuxSerialPort() override;
    LinuxSerialPort(const LinuxSerialPort&) = delete;
    LinuxSerialPort& operator=(const LinuxSerialPort&) = delete;

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
    // Hands the frame to the writer and returns at once; false while the port is closed.
    bool WriteFrame(const SerialFrame& frame) override;
    // The port is closed when a loss is reported; opening it again tries the same device.
    std::optional<SerialLoss> TakeLoss() override;

  private:
    using Lock = std::unique_lock<std::mutex>;
    // One port handle and what its writer thread shares with the driver.
    struct Line;

    static void PlayFrames(Line& line, const std::stop_token& stop);
    void StartLine();
    // Lets the frames in hand finish, at most kFinishLimit; false when the writer is still in
    // a step then: the line is marked given up, and the writer stops after that step.
    bool FinishFrames();
    // Leaves a given-up line to its writer, which closes the handle when its step returns.
    void LeaveLineToWriter();
    // Locks the line once the writer has finished (or dropped) every frame, on a fresh line
    // when the old one had to be left to its writer.
    Lock Idle();
    SerialCalls& Calls();

    SerialCallsMaker makeCalls_;
    std::string device_;
    SerialLineSettings settings_;
    // A tty raises both lines when it opens.
    bool dtr_ = true;
    bool rts_ = true;
    bool open_ = false;
    // The line last left to a stalled writer, and its device: expired once the writer let go.
    std::weak_ptr<Line> leftBehind_;
    std::string leftBehindDevice_;

    // The library calls are made by one thread at a time: the writer while it plays a frame,
    // the owner only when no frame plays or waits.
    std::shared_ptr<Line> line_;
    std::jthread writer_;  // last: stops and joins before the state above goes away
};

}  // namespace zeb
