// One engine tick, one level tick and the output stage with every tick-driven output on
// (FTDI, parallel port and the busiest serial frame), against devices that only count
// calls. Target: median at most 2 us.

#include <benchmark/benchmark.h>

#include <memory>

#include "audio/CaptureBackend.h"
#include "core/SwitchTexts.h"
#include "engine/EngineTick.h"
#include "engine/PeakHold.h"
#include "output/OutputFactory.h"

namespace {

struct Counter {
    long calls = 0;
};

class CountingPort : public zeb::PortIo {
  public:
    explicit CountingPort(Counter& counter) : counter_(counter) {}
    bool InitializeWinIo() override { return true; }
    bool SetPortVal(uint16_t, uint32_t, int) override { return ++counter_.calls > 0; }

  private:
    Counter& counter_;
};

class CountingSerial : public zeb::SerialPort {
  public:
    explicit CountingSerial(Counter& counter) : counter_(counter) {}
    bool SetPortOpen(bool) override { return true; }
    bool SetCommPort(int16_t) override { return true; }
    bool SetCommDevice(const std::string&) override { return true; }
    bool SetSettings(const std::string&) override { return true; }
    bool SetDTREnable(bool) override { return ++counter_.calls > 0; }
    bool SetRTSEnable(bool) override { return ++counter_.calls > 0; }
    bool Output(std::string_view bytes) override {
        counter_.calls += static_cast<long>(bytes.size());
        return true;
    }

  private:
    Counter& counter_;
};

class CountingFtdi : public zeb::FtdiDevice {
  public:
    explicit CountingFtdi(Counter& counter) : counter_(counter) {}
    int Open(int) override { return 0; }
    int SetBitMode(uint8_t, uint8_t) override { return 0; }
    int SetBaudRate(int) override { return 0; }
    int Write(uint8_t) override { return ++counter_.calls > 0 ? 0 : 1; }
    int Close() override { return 0; }

  private:
    Counter& counter_;
};

class IdleKeyboard : public zeb::KeyboardLedDevice {
  public:
    bool Open() override { return false; }
    bool IsOpen() const override { return false; }
    bool SetLeds(bool, bool, bool) override { return false; }
    bool RestoreLeds() override { return false; }
    void Close() override {}
};

class IdleMessages : public zeb::MessageSink {
    void ShowMessage(const std::string&, const std::string&, zeb::MessageIcon,
                     const std::string&) override {}
};

// One serial mode at a time is possible; "COM" writes the longest frame.
void RunTicks(benchmark::State& state, bool automatic) {
    Counter counter;
    zeb::OutputDevices devices;
    devices.port = std::make_unique<CountingPort>(counter);
    devices.serial = std::make_unique<CountingSerial>(counter);
    devices.ftdi = std::make_unique<CountingFtdi>(counter);
    devices.keyboard = std::make_unique<IdleKeyboard>();
    const zeb::OutputSelection selection{zeb::ReadOutputMode("COM"),
                                         zeb::ReadOnOff("LPT", zeb::kLptTexts),
                                         zeb::ReadOnOff("1", zeb::kKeyboardTexts), "378"};
    zeb::ChoiceList addresses(std::vector<std::string>{"378"});
    addresses.SetIndex(0);
    zeb::ChoiceList ports;
    zeb::DmxSettings dmx;
    IdleMessages messages;
    zeb::Outputs outputs = zeb::MakeOutputs(devices, {selection, addresses, ports, dmx}, messages);
    const zeb::ChannelConfigs channels = zeb::DefaultChannelConfigs();
    zeb::EngineState engine;
    for (size_t b = 0; b < engine.SpectrumBands.size(); ++b) {
        engine.SpectrumBands[b] = static_cast<double>(b % 7) * 2.5;
    }
    uint32_t level = 12000;
    for (auto _ : state) {
        level ^= 0x0800;  // vary the input a little so the peaks move
        zeb::PeakHoldTick(engine, zeb::DecodeLevel(level | (level << 16)));
        zeb::EngineTick(engine, channels, automatic, "2");
        outputs.stage.Write({engine, channels, automatic});
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(counter.calls);
    state.counters["writes/tick"] = benchmark::Counter(static_cast<double>(counter.calls) /
                                                       static_cast<double>(state.iterations()));
}

void BM_TickManual(benchmark::State& state) {
    RunTicks(state, false);
}
void BM_TickAuto(benchmark::State& state) {
    RunTicks(state, true);
}
BENCHMARK(BM_TickManual)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickAuto)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
