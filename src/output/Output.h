#pragma once
// One kind of lamp output, as the output stage drives it: opened at every activation of the
// window, written with each engine tick's frame while the user has it switched on, darkened and
// closed on every way out, and named with its state in the status line and the window. Each
// kind lives in a folder of its own; the factory is the one place that lists them all.

#include <string>

#include "engine/EngineState.h"
#include "engine/ModelValues.h"

namespace zeb {

// What every output reads from one engine tick.
struct LampFrame {
    const EngineState& state;
    const ChannelConfigs& channels;
    bool automatic = false;  // the thresholds the tick compared with were the automatic ones
};

class Output {
  public:
    virtual ~Output() = default;

    // Whether the user has this output switched on.
    virtual bool InUse() const = 0;
    // Every activation of the window (once at the service's start): the device opened afresh.
    virtual void Open() {}
    // The engine tick's frame; called only while the output is in use.
    virtual void Write(const LampFrame& frame) = 0;
    // Every lamp this output lit during the run gets its dark frame, in use or not: a lamp
    // keeps the last frame it got. Each step ignores its own failure.
    virtual void Darken() = 0;
    // The device let go, after Darken.
    virtual void Close() {}
    // How the status line and the window name it while in use ("COM", "LPT 378",
    // "DMX universe 1 (olad lost)").
    virtual std::string StateLine() const = 0;
};

}  // namespace zeb
