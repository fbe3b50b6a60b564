// One spectrum tick's worth of capture work: an FFT of the newest 2048 samples and one level
// query, from a capture whose ring is full; and what waiting for a sound server that has gone
// away costs.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include <sndfile.h>

#include "audio/CaptureWatch.h"
#include "audio/PulseBackend.h"
#include "audio/WavBackend.h"

namespace {

// A second of noise-like test signal as a sound file for the sound-file back end.
std::string WriteSignal() {
    const auto path = std::filesystem::temp_directory_path() / "zeb-bench-capture.wav";
    std::vector<float> samples(44100);
    uint32_t seed = 12345;
    for (float& s : samples) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) - 0.5f;
    }
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file != nullptr) {
        sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
        sf_close(file);
    }
    return path.string();
}

void BM_FftAndLevel(benchmark::State& state) {
    const std::string path = WriteSignal();
    // The clock stands still after the ring has filled, so only the FFT and level are timed.
    std::chrono::nanoseconds now{0};
    zeb::WavBackend backend(path, [&now] { return now; });
    if (!backend.RecordInit(zeb::kDefaultDevice)) {
        state.SkipWithError("cannot open the test signal");
        return;
    }
    const zeb::CaptureHandle handle = backend.RecordStart(44100, 1, 0);
    now = std::chrono::milliseconds(500);
    std::array<float, 1025> fft{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(backend.ChannelGetData(handle, fft.data(), zeb::kFftFlags2048));
        benchmark::DoNotOptimize(backend.ChannelGetLevel(handle));
        benchmark::ClobberMemory();
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_FftAndLevel)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly();

std::chrono::nanoseconds ProcessCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// A lost capture waiting for its server, watched every half second as the program does. Counts
// the CPU time of every thread of the process (the background connection attempts run on
// libpulse's own), as a share of one core, and the longest single watch.
void BM_WatchWhileServerAway(benchmark::State& state) {
    struct NoMessages : zeb::MessageSink {
        void ShowMessage(const std::string&, const std::string&, zeb::MessageIcon,
                         const std::string&) override {}
    } messages;
    const auto gone = std::filesystem::temp_directory_path() / "zeb-bench-no-server" / "native";
    zeb::PulseBackend backend("unix:" + gone.string());
    zeb::CaptureState capture;
    capture.source = "zebtest.monitor";
    capture.lost = true;
    std::chrono::nanoseconds longest{0};
    const auto cpuBefore = ProcessCpuTime();
    const auto wallBefore = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        zeb::WatchCapture(backend, capture, messages);
        longest = std::max(longest, std::chrono::steady_clock::now() - start);
        std::this_thread::sleep_until(start + zeb::kCaptureWatchInterval);
    }
    const auto cpu = ProcessCpuTime() - cpuBefore;
    const auto wall = std::chrono::steady_clock::now() - wallBefore;
    state.counters["cpu_percent_of_one_core"] =
        100.0 * static_cast<double>(cpu.count()) / static_cast<double>(wall.count());
    state.counters["longest_watch_ms"] = static_cast<double>(longest.count()) / 1e6;
}
BENCHMARK(BM_WatchWhileServerAway)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
