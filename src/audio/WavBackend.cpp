#include "audio/WavBackend.h"

#include <algorithm>
#include <filesystem>

#include "audio/CaptureErrors.h"

namespace zeb {

namespace {
constexpr uint32_t kVersion = 0x02040001;
constexpr size_t kBlockSamples = 1024;
constexpr const char* kInputName = "File";
constexpr uint64_t kNanosecondsPerSecond = 1'000'000'000;
}  // namespace

CaptureClock SteadyCaptureClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    };
}

WavBackend::WavBackend(std::string path, CaptureClock clock)
    : path_(std::move(path)), clock_(std::move(clock)), block_(kBlockSamples) {}

uint32_t WavBackend::GetVersion() {
    Succeed();
    return kVersion;
}

bool WavBackend::RecordInit(int device) {
    if (source_) {
        return Fail(capture_error::kAlready);
    }
    if (device != kDefaultDevice && device != 0) {
        return Fail(capture_error::kDevice);
    }
    int32_t error = capture_error::kNone;
    std::string reason;
    source_ = WavSource::Open(path_, error, reason);
    if (!source_) {
        return Fail(error, "sound file " + path_ + ": " + reason);
    }
    gain_ = 1.0f;
    Succeed();
    return true;
}

bool WavBackend::RecordFree() {
    EndCapture();
    if (!source_) {
        return Fail(capture_error::kInit);
    }
    source_.reset();
    Succeed();
    return true;
}

std::optional<std::string> WavBackend::RecordGetDeviceInfo(int device) {
    if (device != 0) {
        Fail(capture_error::kDevice);
        return std::nullopt;
    }
    Succeed();
    return std::filesystem::path(path_).filename().string();
}

bool WavBackend::CheckInput(int input) {
    if (!source_) {
        return Fail(capture_error::kInit);
    }
    if (input != 0 && input != kMasterInput) {
        return Fail(capture_error::kIllegalParam);
    }
    return true;
}

std::optional<std::string> WavBackend::RecordGetInputName(int input) {
    if (!CheckInput(input)) {
        return std::nullopt;
    }
    if (input != 0) {
        Fail(capture_error::kIllegalParam);
        return std::nullopt;
    }
    Succeed();
    return kInputName;
}

uint32_t WavBackend::RecordGetInput(int input, float* volume) {
    if (!CheckInput(input)) {
        return 0xFFFFFFFF;
    }
    if (volume != nullptr) {
        *volume = gain_;
    }
    Succeed();
    return 0;  // the file's input is always on
}

bool WavBackend::RecordSetInput(int input, uint32_t flags, float volume) {
    if (!CheckInput(input)) {
        return false;
    }
    const bool setVolume = volume != kVolumeUnchanged;
    if ((setVolume && !(volume >= 0.0f && volume <= 1.0f)) ||
        (flags != kInputUnchanged && flags != kInputOn && flags != kInputOff)) {
        return Fail(capture_error::kIllegalParam);
    }
    // With one input there is nothing to switch: it stays on.
    if (setVolume) {
        // Samples already due keep the volume they were due under, however late they are read.
        if (Capturing()) {
            CatchUp(Now());
        }
        gain_ = volume;
    }
    Succeed();
    return true;
}

CaptureHandle WavBackend::RecordStart(uint32_t rate, uint32_t channels, uint32_t) {
    if (!source_) {
        Fail(capture_error::kInit);
        return 0;
    }
    if (channels != 1 || rate == 0) {
        Fail(capture_error::kFormat);
        return 0;
    }
    source_->Start(rate);
    rate_ = rate;
    started_ = clock_();
    delivered_ = 0;
    Succeed();
    return BeginCapture(rate);
}

CaptureTime WavBackend::Now() const {
    return CaptureTime(std::chrono::duration_cast<CaptureTime::duration>(clock_()));
}

void WavBackend::CatchUp(CaptureTime when) {
    const auto at = std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch());
    const auto elapsed = static_cast<uint64_t>(std::max<int64_t>((at - started_).count(), 0));
    // Split into whole seconds and the rest so that days of running cannot overflow.
    const uint64_t due = (elapsed / kNanosecondsPerSecond) * rate_ +
                         (elapsed % kNanosecondsPerSecond) * rate_ / kNanosecondsPerSecond;
    if (due <= delivered_) {
        return;
    }
    // After a long pause only what the ring can hold matters; the rest is skipped unread.
    const uint64_t capacity = Ring().Capacity();
    if (due - delivered_ > capacity) {
        delivered_ = due - capacity;
    }
    while (delivered_ < due) {
        const size_t count =
            static_cast<size_t>(std::min<uint64_t>(due - delivered_, kBlockSamples));
        std::span<float> block(block_.data(), count);
        source_->Read(block);
        for (float& sample : block) {
            sample *= gain_;
        }
        Ring().Append(block, when);
        delivered_ += count;
    }
}

}  // namespace zeb
