// What the DMX output costs per engine tick: building the tick's frame (on the tick's thread)
// and filling its universes for olad (on the sender's thread), for the Channels layout beside
// a strip of 680 pixels over four universes and twelve RGBW fixtures. The counter
// "allocations" is the number of heap allocations per tick; it must be 0.

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/EngineTick.h"
#include "output/dmx/DmxFrame.h"
#include "output/dmx/DmxUniverses.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// GCC takes the replaced operator new below for malloc's own and warns about the matching free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t /*size*/) noexcept {
    std::free(memory);
}

namespace {

void FramePerTick(benchmark::State& run, zeb::DmxLayout layout) {
    zeb::DmxSettings settings;
    settings.layout = layout;
    settings.pixels.Set(zeb::kMostPixels);
    settings.mirror = true;
    settings.dimmer = true;
    zeb::EngineState state;
    state.PeakLeft = 10000;
    zeb::ChannelConfigs channels = zeb::DefaultChannelConfigs();
    for (size_t i = 0; i < zeb::kChannelCount; ++i) {
        channels[i].bandCaption = std::to_string(i);
        channels[i].threshold.Set(20);
        state.SpectrumBands[i] = static_cast<double>(i);
        state.ChannelStates[i] = static_cast<int16_t>(i % 2);
    }
    zeb::DmxFrameMaker maker;
    std::array<uint8_t, zeb::kDmxUniverseSlots> slots{};
    maker.Make(settings, state, channels, false);  // the gamma table, once
    const long before = allocations.load();
    for (auto _ : run) {
        const zeb::DmxFrame& frame = maker.Make(settings, state, channels, false);
        for (size_t index = 0; index < zeb::UniverseCount(frame.patch); ++index) {
            zeb::FillUniverse(frame, index, slots);
            benchmark::DoNotOptimize(slots.data());
        }
        benchmark::ClobberMemory();
    }
    run.counters["allocations"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

}  // namespace

BENCHMARK_CAPTURE(FramePerTick, Channels, zeb::DmxLayout::Channels);
BENCHMARK_CAPTURE(FramePerTick, Rgbw, zeb::DmxLayout::Rgbw);
BENCHMARK_CAPTURE(FramePerTick, Pixels680, zeb::DmxLayout::Pixels);
BENCHMARK_MAIN();
