// The beat as the program follows it: click tracks made with sox at 90, 120, 128 and 174 BPM
// and a change from 120 to 100 BPM go through aubio's tracker (the module the program loads)
// and the beat clock, in the program's own steps: the tracker looks at the captured samples
// every 40 ms, the program's thread takes its beats and wakes at each predicted flash. Prints
// the readout six seconds in, how long the change takes, how close the flashes come to the
// clicks, flashes in silence and, with music files as arguments (e.g. Debian's
// extremetuxracer-data), the readout's range over 30 s. Then the tracker's CPU cost per second
// of sound through Google Benchmark.
//
// Usage: bench_tempo [music files...] [benchmark options]

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "audio/RingBackend.h"
#include "audio/TempoAnalyser.h"
#include "audio/TempoTracker.h"
#include "engine/BeatClock.h"
#include "engine/ModuleLoad.h"

namespace {

using namespace std::chrono_literals;
using zeb::BeatClock;

constexpr uint32_t kRate = 44100;

zeb::TempoModuleEntry Entry() {
    static zeb::TempoModuleEntry entry = [] {
        std::string problem;
        auto* found = reinterpret_cast<zeb::TempoModuleEntry>(zeb::LoadModuleEntry(
            ZEB_PROGRAM_DIR, zeb::kTempoModuleFile, zeb::kTempoModuleEntry, problem));
        if (found == nullptr) {
            std::fprintf(stderr, "bench_tempo: %s\n", problem.c_str());
            std::exit(1);
        }
        return found;
    }();
    return entry;
}

std::vector<float> ReadMono(const std::filesystem::path& path, double seconds,
                            uint32_t* rate = nullptr) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return {};
    }
    std::vector<float> frames(static_cast<size_t>(seconds * info.samplerate) *
                              static_cast<size_t>(info.channels));
    const sf_count_t read =
        sf_readf_float(file, frames.data(), static_cast<sf_count_t>(frames.size()) / info.channels);
    sf_close(file);
    if (rate != nullptr) {
        *rate = static_cast<uint32_t>(info.samplerate);
    }
    std::vector<float> mono(static_cast<size_t>(read));
    for (size_t i = 0; i < mono.size(); ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c) {
            sum += frames[i * static_cast<size_t>(info.channels) + static_cast<size_t>(c)];
        }
        mono[i] = sum / static_cast<float>(info.channels);
    }
    return mono;
}

// Clicks of 30 ms at `bpm` for `seconds`, made by sox into `folder`; their onsets in seconds.
std::vector<float> ClickTrack(const std::filesystem::path& folder, double bpm, double seconds,
                              std::vector<double>& onsets, double startAt = 0.0) {
    const double period = 60.0 / bpm;
    const int clicks = static_cast<int>(seconds / period);
    const std::filesystem::path path = folder / ("clicks-" + std::to_string(bpm) + ".wav");
    const std::string command = "sox -n -r 44100 -b 16 -c 1 '" + path.string() +
                                "' synth 0.03 sine 1500 fade 0 0.03 0.025 pad 0 " +
                                std::to_string(period - 0.03) + " repeat " +
                                std::to_string(clicks - 1);
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "bench_tempo: sox failed\n");
        std::exit(1);
    }
    for (int k = 0; k < clicks; ++k) {
        onsets.push_back(startAt + k * period);
    }
    return ReadMono(path, seconds + 1);
}

struct Followed {
    std::vector<std::pair<double, std::optional<double>>> readouts;  // (second, BPM) each 100 ms
    std::vector<double> flashes;                                     // flash starts, seconds
};

// The program's view of `samples` played from time 0: the tracker's looks, the beats the
// program's thread takes at its wake-ups (every ms here), the flashes and the readout.
Followed Follow(const std::vector<float>& samples, uint32_t rate = kRate) {
    std::unique_ptr<zeb::TempoAnalyser> analyser;
    Entry()(rate, analyser);
    const size_t hop = analyser->HopSize();
    BeatClock clock;
    clock.Configure(1, 0);
    const auto origin = BeatClock::Time{} + 1h;
    const auto at = [&](double seconds) {
        return origin + std::chrono::duration_cast<BeatClock::Duration>(
                            std::chrono::duration<double>(seconds));
    };
    Followed followed;
    size_t analysed = 0;
    // The tracker's one-slot mailbox: the program hears the newest beat of a look.
    std::optional<BeatClock::Time> mailbox;
    const long look = zeb::TempoTracker::LookInterval(rate, zeb::kCaptureRingSamples) / 1ms;
    const auto totalMs = static_cast<long>(samples.size() * 1000 / rate);
    for (long ms = 0; ms < totalMs; ++ms) {
        const BeatClock::Time now = origin + std::chrono::milliseconds(ms);
        if (ms % look == 0) {
            // A look of the tracker: every whole hop captured by now.
            const auto captured = static_cast<size_t>(ms) * rate / 1000;
            while (analysed + hop <= captured) {
                if (auto beat = analyser->Hop({samples.data() + analysed, hop})) {
                    mailbox = at(static_cast<double>(*beat) / rate);
                }
                analysed += hop;
            }
        }
        if (mailbox) {
            clock.Heard({*std::exchange(mailbox, std::nullopt)});
        }
        if (clock.Advance(now) && clock.FlashLit()) {
            followed.flashes.push_back(static_cast<double>(ms) / 1000.0);
        }
        if (ms % 100 == 0) {
            followed.readouts.emplace_back(static_cast<double>(ms) / 1000.0, clock.Bpm(now));
        }
    }
    return followed;
}

std::optional<double> ReadoutAt(const Followed& followed, double second) {
    for (const auto& [when, bpm] : followed.readouts) {
        if (when >= second) {
            return bpm;
        }
    }
    return std::nullopt;
}

std::string Shown(std::optional<double> bpm) {
    char text[16];
    std::snprintf(text, sizeof text, bpm ? "%.1f" : "--", bpm.value_or(0.0));
    return text;
}

// Share of flashes after `from` s within 30 ms of a click, and the median distance (ms).
void FlashTiming(const Followed& followed, const std::vector<double>& onsets, double from,
                 double& within, double& medianMs) {
    std::vector<double> distances;
    for (const double flash : followed.flashes) {
        if (flash < from) {
            continue;
        }
        double nearest = 1e9;
        for (const double onset : onsets) {
            nearest = std::min(nearest, std::abs(flash - onset));
        }
        distances.push_back(nearest * 1000.0);
    }
    std::sort(distances.begin(), distances.end());
    const auto close =
        std::count_if(distances.begin(), distances.end(), [](double d) { return d <= 30.0; });
    within = distances.empty() ? 0.0 : 100.0 * static_cast<double>(close) / distances.size();
    medianMs = distances.empty() ? 0.0 : distances[distances.size() / 2];
}

void Accuracy(const std::vector<std::string>& music) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zeb-bench-tempo-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::printf("%-28s %10s %8s %14s %12s\n", "click track", "readout@6s", "target",
                "flashes<=30ms", "median ms");
    for (const double bpm : {90.0, 120.0, 128.0, 174.0}) {
        std::vector<double> onsets;
        const Followed followed = Follow(ClickTrack(folder, bpm, 20, onsets));
        double within = 0, median = 0;
        FlashTiming(followed, onsets, 6.0, within, median);
        const std::optional<double> at6 = ReadoutAt(followed, 6.0);
        std::printf("%-28s %10s %8s %13.0f%% %12.1f  %s\n",
                    (std::to_string(static_cast<int>(bpm)) + " BPM").c_str(), Shown(at6).c_str(),
                    "+-1", within, median,
                    at6 && std::abs(*at6 - bpm) <= 1.0 && within >= 90 ? "ok" : "MISSED");
    }

    // 12 s at 120 BPM, then 20 s at 100 BPM: when the readout is within 1 BPM of 100 for good.
    std::vector<double> onsets;
    std::vector<float> track = ClickTrack(folder, 120, 12, onsets);
    track.resize(12 * kRate, 0.0f);
    const std::vector<float> slower = ClickTrack(folder, 100, 20, onsets, 12.0);
    track.insert(track.end(), slower.begin(), slower.end());
    const Followed changed = Follow(track);
    std::optional<double> settled;
    for (const auto& [when, bpm] : changed.readouts) {
        if (when < 12.0) {
            continue;
        }
        const bool close = bpm && std::abs(*bpm - 100.0) <= 1.0;
        if (!close) {
            settled.reset();
        } else if (!settled) {
            settled = when - 12.0;
        }
    }
    std::printf("%-28s %10s %8s\n", "120 -> 100 BPM: settled after",
                settled ? (std::to_string(*settled).substr(0, 4) + " s").c_str() : "never",
                "<= 12 s");

    const Followed silent = Follow(std::vector<float>(10 * kRate, 0.0f));
    std::printf("%-28s %10zu %8s\n", "silence, 10 s: flashes", silent.flashes.size(), "0");

    for (const std::string& file : music) {
        uint32_t rate = kRate;
        const std::vector<float> samples = ReadMono(file, 30, &rate);
        const Followed followed = Follow(samples, rate);
        std::optional<double> low, high;
        size_t shown = 0;
        for (const auto& [when, bpm] : followed.readouts) {
            if (when < 6.0 || !bpm) {
                continue;
            }
            ++shown;
            low = std::min(low.value_or(*bpm), *bpm);
            high = std::max(high.value_or(*bpm), *bpm);
        }
        std::printf(
            "%-28s readout %s..%s BPM (%.0f%% of the time after 6 s), %zu flashes\n",
            std::filesystem::path(file).filename().c_str(), Shown(low).c_str(), Shown(high).c_str(),
            100.0 * static_cast<double>(shown) / std::max<size_t>(1, followed.readouts.size() - 60),
            followed.flashes.size());
    }
    std::filesystem::remove_all(folder);
}

// The tracker's work for one second of sound (86 hops of 512 samples).
void BM_TrackOneSecond(benchmark::State& state) {
    std::unique_ptr<zeb::TempoAnalyser> analyser;
    Entry()(kRate, analyser);
    std::vector<float> second(kRate);
    for (size_t i = 0; i < second.size(); ++i) {
        // A click every half second over quiet noise.
        second[i] = (i % 22050 < 1000 ? 0.5f : 0.01f) *
                    static_cast<float>(std::sin(static_cast<double>(i) * 0.21));
    }
    const size_t hop = analyser->HopSize();
    for (auto _ : state) {
        for (size_t at = 0; at + hop <= second.size(); at += hop) {
            benchmark::DoNotOptimize(analyser->Hop({second.data() + at, hop}));
        }
    }
    state.SetLabel("CPU share of one core = time per iteration / 1 s");
}
BENCHMARK(BM_TrackOneSecond)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> music(argv + 1, argv + argc);
    Accuracy(music);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
