#include "audio/RingBackend.h"

#include <algorithm>
#include <span>

#include "audio/CaptureErrors.h"

namespace zeb {

namespace {
constexpr uint32_t kLevelWindowsPerSecond = 50;  // the level looks at the newest 20 ms
}  // namespace

RingBackend::RingBackend() : ring_(kCaptureRingSamples), scratch_(kCaptureRingSamples) {}

CaptureHandle RingBackend::BeginCapture(uint32_t rate) {
    ring_.Clear(rate);
    rate_ = rate;
    // Handles count up and skip 0, so a stale handle never names a newer capture by accident.
    ++lastHandle_;
    if (lastHandle_ == 0) {
        ++lastHandle_;
    }
    handle_ = lastHandle_;
    return handle_;
}

void RingBackend::EndCapture() {
    handle_ = 0;
}

bool RingBackend::CheckHandle(CaptureHandle handle) {
    if (handle == 0 || handle != handle_) {
        return Fail(capture_error::kHandle);
    }
    if (!StillCapturing()) {
        EndCapture();
        return Fail(capture_error::kBusy);
    }
    return true;
}

uint32_t RingBackend::ChannelGetLevel(CaptureHandle handle) {
    return ChannelGetLevelAt(handle, Now());
}

bool RingBackend::ChannelGetData(CaptureHandle handle, float* fft, uint32_t flags) {
    return ChannelGetDataAt(handle, fft, flags, Now());
}

uint32_t RingBackend::ChannelGetLevelAt(CaptureHandle handle, CaptureTime when) {
    if (!CheckHandle(handle)) {
        return kLevelFailed;
    }
    CatchUp(when);
    const size_t window = std::clamp<size_t>(rate_ / kLevelWindowsPerSecond, 1, scratch_.size());
    std::span<float> newest(scratch_.data(), window);
    const size_t captured = ring_.CopyNewestAt(newest, when);
    Succeed();
    return LevelWord(newest.last(captured));
}

bool RingBackend::ChannelGetDataAt(CaptureHandle handle, float* fft, uint32_t flags,
                                   CaptureTime when) {
    if (!CheckHandle(handle)) {
        return false;
    }
    if (fft == nullptr || flags != kFftFlags2048) {
        return Fail(capture_error::kIllegalParam);
    }
    CatchUp(when);
    std::span<float, kFftSize> newest(scratch_.data(), kFftSize);
    ring_.CopyNewestAt(newest, when);
    fft_.Compute(newest, std::span<float, kFftBins>(fft, kFftBins));
    Succeed();
    return true;
}

}  // namespace zeb
