#pragma once
// What the PulseAudio and the WAV-file back ends share: the error code of the last call, the
// handle of the one running capture, and level and FFT computed from the capture's sample ring.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "audio/Analysis.h"
#include "audio/CaptureBackend.h"
#include "audio/SampleRing.h"

namespace zeb {

// The capture's ring holds the FFT window and 20 ms at every sample rate a sound server offers
// (up to 384 kHz): 371 ms at 44.1 kHz, 43 ms at 384 kHz.
inline constexpr size_t kCaptureRingSamples = 16384;

class RingBackend : public CaptureBackend {
  public:
    int32_t ErrorGetCode() override { return error_; }
    std::string ErrorDetail() override { return detail_; }
    uint32_t ChannelGetLevel(CaptureHandle handle) override;
    bool ChannelGetData(CaptureHandle handle, float* fft, uint32_t flags) override;
    uint32_t ChannelGetLevelAt(CaptureHandle handle, CaptureTime when) override;
    bool ChannelGetDataAt(CaptureHandle handle, float* fft, uint32_t flags,
                          CaptureTime when) override;
    const SampleRing* Samples() const override { return &ring_; }

  protected:
    RingBackend();

    // Records the outcome of the call being made; Fail returns false so callers can return it.
    bool Fail(int32_t code, std::string detail = {}) {
        error_ = code;
        detail_ = std::move(detail);
        return false;
    }
    void Succeed() {
        error_ = 0;
        detail_.clear();
    }

    // Begins a new capture at `rate` samples a second with an empty ring, ending any earlier
    // one (its handle stops working), and returns the new handle.
    CaptureHandle BeginCapture(uint32_t rate);
    // Ends the running capture; its handle stops working.
    void EndCapture();
    bool Capturing() const { return handle_ != 0; }
    // The running capture's samples; the capture's producer appends to it.
    SampleRing& Ring() { return ring_; }

    // The back end's clock: the time a query without a moment of its own is made for.
    virtual CaptureTime Now() const { return std::chrono::steady_clock::now(); }
    // Called on the program's thread before the ring is read as of `when`, so a producer driven
    // by a clock can deliver the samples due by then, stamped with that time.
    virtual void CatchUp(CaptureTime /*when*/) {}
    // Whether the running capture still receives samples. One whose device has gone away ends,
    // so level and spectrum fail instead of repeating the last samples for ever.
    virtual bool StillCapturing() { return true; }

  private:
    // False (and the error code set) unless `handle` is the running capture and it still runs.
    bool CheckHandle(CaptureHandle handle);

    int32_t error_ = 0;
    std::string detail_;
    CaptureHandle handle_ = 0;
    CaptureHandle lastHandle_ = 0;
    uint32_t rate_ = 0;
    SampleRing ring_;
    FftMagnitudes fft_;
    std::vector<float> scratch_;
};

}  // namespace zeb
