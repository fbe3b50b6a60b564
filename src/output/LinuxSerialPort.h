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

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "output/Devices.h"
#include "output/SerialCalls.h"
#include "output/SerialLineSettings.h"

namespace zeb {

class LinuxSerialPort : public SerialPort {
  public:
    static constexpr std::chrono::milliseconds kFinishLimit{500};

    explicit LinuxSerialPort(std::shared_ptr<SerialCalls> calls);
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

  private:
    using Lock = std::unique_lock<std::mutex>;

    // Locks the shared state once the writer has finished (or dropped) every frame.
    Lock Idle();
    void PlayFrames(const std::stop_token& stop);
    void PlayStep(const SerialStep& step);

    std::shared_ptr<SerialCalls> calls_;
    std::string device_;
    SerialLineSettings settings_;
    // A tty raises both lines when it opens.
    bool dtr_ = true;
    bool rts_ = true;
    bool open_ = false;

    // Shared with the writer. The library calls are made by one thread at a time: the writer
    // while `playing_`, the owner only when no frame plays or waits.
    std::mutex mutex_;
    std::condition_variable_any frameWaiting_;
    std::condition_variable writerIdle_;
    std::optional<SerialFrame> waiting_;
    bool playing_ = false;
    bool dropRest_ = false;
    std::jthread writer_;  // last: stops and joins before the state above goes away
};

}  // namespace zeb
