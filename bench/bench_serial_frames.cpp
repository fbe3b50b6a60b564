// How long one serial lamp frame takes to play, and what it costs the engine tick to hand it
// over, through the real serial driver and its writer thread. The wire is either a
// pseudo-terminal (real kernel calls; it has no modem lines and drains at once, so this is
// the driver's own cost) or a model of a port: a 16550 UART at 115200 baud, where a drain
// waits for the byte's 87 us on the line, and a full-speed USB serial adapter, where a line
// change is one control transfer and a drain one more USB frame, about 1 ms each.
// The tick's 35 ms is the budget a frame must fit.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>

#include "engine/EngineTick.h"
#include "output/serial/LinuxSerialPort.h"
#include "output/serial/SerialFrames.h"

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::microseconds;

// The library calls on a pseudo-terminal's far end, made as the serial library makes them.
class PseudoTerminalCalls : public zeb::SerialCalls {
  public:
    PseudoTerminalCalls() {
        openpty(&master_, &slave_, nullptr, nullptr, nullptr);
        fcntl(master_, F_SETFL, O_NONBLOCK);
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
    }
    ~PseudoTerminalCalls() override {
        close(slave_);
        close(master_);
    }
    PseudoTerminalCalls(const PseudoTerminalCalls&) = delete;
    PseudoTerminalCalls& operator=(const PseudoTerminalCalls&) = delete;

    std::vector<std::string> ListPorts() override { return {}; }
    bool Open(const std::string&) override { return master_ >= 0; }
    void Close() override {}
    bool Configure(const zeb::SerialLineSettings&) override { return true; }
    bool SetDtr(bool on) override { return ModemLine(TIOCM_DTR, on); }
    bool SetRts(bool on) override { return ModemLine(TIOCM_RTS, on); }
    int WriteNonBlocking(std::string_view bytes) override {
        const auto written = write(slave_, bytes.data(), bytes.size());
        char sink[64];
        while (read(master_, sink, sizeof sink) > 0) {
        }
        return static_cast<int>(written);
    }
    bool Drain() override { return tcdrain(slave_) == 0; }

  private:
    bool ModemLine(int line, bool on) {
        return ioctl(slave_, on ? TIOCMBIS : TIOCMBIC, &line) == 0;  // fails on a pty
    }

    int master_ = -1;
    int slave_ = -1;
};

// A port whose calls take the time the hardware would.
class ModelledCalls : public zeb::SerialCalls {
  public:
    ModelledCalls(Micros lineChange, Micros perByte, Micros drainAtLeast)
        : lineChange_(lineChange), perByte_(perByte), drainAtLeast_(drainAtLeast) {}

    std::vector<std::string> ListPorts() override { return {}; }
    bool Open(const std::string&) override { return true; }
    void Close() override {}
    bool Configure(const zeb::SerialLineSettings&) override { return true; }
    bool SetDtr(bool) override { return Wait(lineChange_); }
    bool SetRts(bool) override { return Wait(lineChange_); }
    int WriteNonBlocking(std::string_view bytes) override {
        onTheWireUntil_ = Clock::now() + perByte_ * static_cast<int>(bytes.size());
        return static_cast<int>(bytes.size());
    }
    bool Drain() override {
        std::this_thread::sleep_until(std::max(onTheWireUntil_, Clock::now() + drainAtLeast_));
        return true;
    }

  private:
    static bool Wait(Micros time) {
        if (time.count() > 0) {
            std::this_thread::sleep_for(time);
        }
        return true;
    }

    Micros lineChange_;
    Micros perByte_;
    Micros drainAtLeast_;
    Clock::time_point onTheWireUntil_;
};

// 10 bits per byte (start, 8 data, stop) at 115200 baud.
constexpr Micros kByteAt115200{87};
constexpr Micros kUsbFrame{1000};

std::unique_ptr<zeb::SerialCalls> Wire(int64_t kind) {
    switch (kind) {
        case 0:
            return std::make_unique<PseudoTerminalCalls>();
        case 1:
            return std::make_unique<ModelledCalls>(Micros{0}, kByteAt115200, Micros{0});
        default:
            return std::make_unique<ModelledCalls>(kUsbFrame, kByteAt115200, kUsbFrame);
    }
}

const char* kWireNames[] = {"pseudo-terminal", "UART 115200 model", "USB full-speed model"};

zeb::EngineState HalfLit() {
    zeb::EngineState state;
    state.ChannelStates = {1, 0, 1, 0, 1, 0, 1, 0};
    state.ChannelByte = zeb::PackChannelByte(state.ChannelStates);
    return state;
}

zeb::OutputDevices OpenSerial(int64_t wire) {
    zeb::OutputDevices devices;
    devices.serial = std::make_unique<zeb::LinuxSerialPort>([wire] { return Wire(wire); });
    devices.serial->SetCommDevice("/dev/bench");
    devices.serial->SetPortOpen(true);
    return devices;
}

// Time from the tick's hand-over to the frame's last step, per mode and wire.
void BM_FrameOnTheWire(benchmark::State& state) {
    const int64_t wire = state.range(0);
    const auto mode = state.range(1) == 0 ? zeb::SerialMode::Usb8Led : zeb::SerialMode::Usb3Led;
    zeb::OutputDevices devices = OpenSerial(wire);
    const zeb::EngineState lit = HalfLit();
    for (auto _ : state) {
        zeb::WriteSerialFrame(mode, lit, *devices.serial);
        devices.serial->SetCommDevice("/dev/bench");  // returns once the frame has played
    }
    state.SetLabel(std::string(state.range(1) == 0 ? "USB8LED" : "USB3LED") + " on " +
                   kWireNames[wire]);
}
BENCHMARK(BM_FrameOnTheWire)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

// What the tick pays: building the "USB8LED" frame and handing it over while the writer is
// busy with the one before.
void BM_TickHandOver(benchmark::State& state) {
    zeb::OutputDevices devices = OpenSerial(2);
    const zeb::EngineState lit = HalfLit();
    for (auto _ : state) {
        zeb::WriteSerialFrame(zeb::SerialMode::Usb8Led, lit, *devices.serial);
    }
}
BENCHMARK(BM_TickHandOver)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
