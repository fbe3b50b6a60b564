#pragma once
// Capture from a sound file instead of a sound server, for demonstrations and tests. The file
// is the one recording device, named after the file, with one input "File" whose volume is a
// gain on the samples. Samples become available as the clock advances, at the capture's rate,
// and the file loops.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/RingBackend.h"
#include "audio/WavSource.h"

namespace zeb {

// Monotonic time since any fixed moment. Tests pass their own to check pacing without waiting.
using CaptureClock = std::function<std::chrono::nanoseconds()>;

CaptureClock SteadyCaptureClock();

class WavBackend final : public RingBackend {
  public:
    explicit WavBackend(std::string path, CaptureClock clock = SteadyCaptureClock());

    uint32_t GetVersion() override;
    bool RecordInit(int device) override;
    bool RecordFree() override;
    std::optional<std::string> RecordGetDeviceInfo(int device) override;
    std::optional<std::string> RecordGetInputName(int input) override;
    uint32_t RecordGetInput(int input, float* volume) override;
    bool RecordSetInput(int input, uint32_t flags, float volume) override;
    CaptureHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags) override;

  private:
    CaptureTime Now() const override;
    void CatchUp(CaptureTime when) override;
    // False (error code set) unless the file is open and `input` is its one input or the master.
    bool CheckInput(int input);

    std::string path_;
    CaptureClock clock_;
    std::unique_ptr<WavSource> source_;
    float gain_ = 1.0f;
    uint32_t rate_ = 0;
    std::chrono::nanoseconds started_{0};
    uint64_t delivered_ = 0;  // samples handed to the ring since the capture started
    std::vector<float> block_;
};

}  // namespace zeb
