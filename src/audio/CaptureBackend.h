#pragma once
// The sound capture back end: everything the program asks of the sound system. One
// implementation talks to the PulseAudio (or PipeWire) server, one plays a WAV file, and tests
// script a fake. All calls are made on the program's thread (the window's event loop or the
// service's poll loop).

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/PeakHold.h"

namespace zeb {

class SampleRing;

using CaptureHandle = uint32_t;  // 0 = no capture
// A moment on the steady clock: when samples arrived, or the moment a query is made for.
using CaptureTime = std::chrono::steady_clock::time_point;

// Input flags of RecordGetInput / RecordSetInput.
constexpr uint32_t kInputOff = 0x10000;  // set in RecordGetInput: the input is switched off
constexpr uint32_t kInputOn = 0x20000;
constexpr uint32_t kInputUnchanged = 0;
constexpr float kVolumeUnchanged = -1.0f;
constexpr int kMasterInput = -1;
constexpr int kDefaultDevice = -1;
constexpr uint32_t kFftFlags2048 = 0x80000003;  // 2048-sample FFT, 1024 magnitudes
constexpr uint32_t kLevelFailed = 0xFFFFFFFF;

// A level query's result as the engine takes it: left from bits 0..15, right from bits
// 16..31; nullopt for kLevelFailed.
inline std::optional<InputLevel> DecodeLevel(uint32_t word) {
    if (word == kLevelFailed) {
        return std::nullopt;
    }
    return InputLevel{static_cast<int32_t>(word & 0xFFFFu), static_cast<int32_t>(word >> 16)};
}

// What a slow timer learns about the sound system without waiting for it.
struct DeviceWatch {
    bool reachable = true;        // false while the sound server is away
    bool devicesChanged = false;  // devices came or went since the last look
};

class CaptureBackend {
  public:
    virtual ~CaptureBackend() = default;

    // Version of the back end; the high 16 bits are 0x0204 when it is usable.
    virtual uint32_t GetVersion() = 0;
    // Error code of the last failed call (0 = none).
    virtual int32_t ErrorGetCode() = 0;
    // What a person needs to act on the last failure that the code does not say: the file or
    // server and the system's reason. Empty when there is nothing to add.
    virtual std::string ErrorDetail() { return {}; }

    // Opens recording device `device` (kDefaultDevice = the default one).
    virtual bool RecordInit(int device) = 0;
    // Releases the current recording device and its captures.
    virtual bool RecordFree() = 0;
    // Name of recording device `device`; nullopt when there is no such device.
    virtual std::optional<std::string> RecordGetDeviceInfo(int device) = 0;
    // The sound system's own name for device `device`, which stays the same while other
    // devices come and go; nullopt when there is no such device or the back end has no names.
    virtual std::optional<std::string> RecordGetDeviceKey(int /*device*/) { return std::nullopt; }
    // The device a first start listens to: the monitor of the default output, else the default
    // recording device; nullopt when the back end prefers none.
    virtual std::optional<int> RecordGetPreferredDevice() { return std::nullopt; }
    // Looks at the sound system without ever waiting for it, and while it is away keeps trying
    // to reach it again in the background. Made from a slow timer.
    virtual DeviceWatch WatchDevices() { return {}; }

    // Name of input `input` of the current device; nullopt when there is no such input.
    virtual std::optional<std::string> RecordGetInputName(int input) = 0;
    // Flags of input `input` (kInputOff set = switched off); 0xFFFFFFFF on failure. When
    // `volume` is not null it receives the input's volume, 0..1 (kMasterInput = the device's).
    virtual uint32_t RecordGetInput(int input, float* volume) = 0;
    // Switches input `input` (kMasterInput = the device itself) on or off and/or sets its
    // volume 0..1 (kVolumeUnchanged leaves it).
    virtual bool RecordSetInput(int input, uint32_t flags, float volume) = 0;

    // Starts capturing on the current device; 0 on failure.
    virtual CaptureHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags) = 0;

    // Left level in bits 0..15, right in bits 16..31, each 0..32768; kLevelFailed on failure.
    virtual uint32_t ChannelGetLevel(CaptureHandle handle) = 0;
    // Fills fft[0..1023] with the magnitudes of a 2048-sample FFT of the newest samples;
    // fft[1024] is left alone, and on failure nothing is written.
    virtual bool ChannelGetData(CaptureHandle handle, float* fft, uint32_t flags) = 0;

    // The same as asked at `when`, a moment just past: from the samples that had arrived by
    // then. A caller that wakes late can so take each of its 10 ms steps as of its own time. A
    // back end that keeps no arrival times answers as of now.
    virtual uint32_t ChannelGetLevelAt(CaptureHandle handle, CaptureTime /*when*/) {
        return ChannelGetLevel(handle);
    }
    virtual bool ChannelGetDataAt(CaptureHandle handle, float* fft, uint32_t flags,
                                  CaptureTime /*when*/) {
        return ChannelGetData(handle, fft, flags);
    }

    // The ring the running captures append every sample to, for a reader on a thread of its
    // own (the ring is safe to read from any thread); nullptr from a back end without one.
    virtual const SampleRing* Samples() const { return nullptr; }
};

}  // namespace zeb
