#include "audio/CaptureControl.h"

#include <algorithm>
#include <cmath>

namespace zeb {

namespace {

constexpr uint32_t kExpectedVersion = 0x0204;
constexpr float kVolumeSteps = 254.0f;
constexpr uint32_t kInputQueryFailed = 0xFFFFFFFF;

AudioOutcome StartCapture(CaptureBackend& backend, CaptureState& state, MessageSink& messages) {
    state.RecordHandle = backend.RecordStart(kCaptureRate, kCaptureChannels, 0);
    if (state.RecordHandle == 0) {
        Error_(backend, messages, "Can't start recording");
        return AudioOutcome::EndProgram;
    }
    return AudioOutcome::Running;
}

void ListInputs(CaptureBackend& backend, CaptureState& state) {
    state.inputs.Clear();
    for (int n = 0;; ++n) {
        const std::optional<std::string> name = backend.RecordGetInputName(n);
        if (!name) {
            break;
        }
        state.inputs.Add(*name);
        // A failed query reads as all bits set, so that input counts as off.
        if ((backend.RecordGetInput(n, nullptr) & kInputOff) == 0) {
            SelectInput(backend, state, n);
        }
    }
}

AudioOutcome ListDevices(CaptureBackend& backend, CaptureState& state, MessageSink& messages) {
    state.devices.Clear();
    state.deviceKeys.clear();
    for (int d = 0;; ++d) {
        const std::optional<std::string> name = backend.RecordGetDeviceInfo(d);
        if (!name) {
            return AudioOutcome::Running;
        }
        state.devices.Add(*name);
        state.deviceKeys.push_back(backend.RecordGetDeviceKey(d).value_or(""));
        if (SelectDevice(backend, state, d, messages) == AudioOutcome::EndProgram) {
            return AudioOutcome::EndProgram;
        }
    }
}

// The device start-up settles on: the remembered one by its name when it is listed; without a
// remembered name, the stored position when it is in the list; otherwise (a first start, or
// the device is gone) the one the sound system prefers, the monitor of the default output.
std::optional<int> StartUpDevice(CaptureBackend& backend, const CaptureState& state,
                                 const std::string& storedSource,
                                 std::optional<int16_t> storedDeviceIndex) {
    if (!storedSource.empty()) {
        if (const auto listed = ListedPosition(state, storedSource)) {
            return listed;
        }
    } else if (storedDeviceIndex && *storedDeviceIndex >= 0 &&
               *storedDeviceIndex < state.devices.Count()) {
        return *storedDeviceIndex;
    }
    const std::optional<int> preferred = backend.RecordGetPreferredDevice();
    if (preferred && *preferred >= 0 && *preferred < state.devices.Count()) {
        return preferred;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> ListedPosition(const CaptureState& state, const std::string& key) {
    if (key.empty()) {
        return std::nullopt;
    }
    const auto found = std::find(state.deviceKeys.begin(), state.deviceKeys.end(), key);
    if (found == state.deviceKeys.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - state.deviceKeys.begin());
}

AudioOutcome StartAudio(CaptureBackend& backend, CaptureState& state,
                        std::optional<int16_t> storedDeviceIndex, MessageSink& messages) {
    if ((backend.GetVersion() >> 16) != kExpectedVersion) {
        messages.ShowMessage("An incorrect version of BASS.DLL was loaded", "ZEB",
                             MessageIcon::Critical);
        return AudioOutcome::EndProgram;
    }
    if (!backend.RecordInit(kDefaultDevice)) {
        Error_(backend, messages, "Can't initialize device");
        return AudioOutcome::EndProgram;
    }
    const std::string storedSource = state.source;
    state.CurrentInput = -1;
    ListInputs(backend, state);
    if (ListDevices(backend, state, messages) == AudioOutcome::EndProgram) {
        return AudioOutcome::EndProgram;
    }
    // Only a choice that differs from the selection re-runs the device selection; without one
    // the last listed device stays selected.
    const std::optional<int> chosen =
        StartUpDevice(backend, state, storedSource, storedDeviceIndex);
    if (chosen && *chosen != state.devices.Index()) {
        if (SelectDevice(backend, state, *chosen, messages) == AudioOutcome::EndProgram) {
            return AudioOutcome::EndProgram;
        }
    }
    return StartCapture(backend, state, messages);
}

AudioOutcome SelectDevice(CaptureBackend& backend, CaptureState& state, int32_t index,
                          MessageSink& messages) {
    state.devices.SetIndex(index);
    if (index >= 0 && static_cast<size_t>(index) < state.deviceKeys.size()) {
        state.source = state.deviceKeys[static_cast<size_t>(index)];
    }
    state.lost = false;
    backend.RecordFree();
    // A device that cannot be opened shows up as the capture start failing just below.
    backend.RecordInit(index);
    return StartCapture(backend, state, messages);
}

void SelectInput(CaptureBackend& backend, CaptureState& state, int32_t index) {
    state.inputs.SetIndex(index);
    state.CurrentInput = index;
    for (int n = 0; n < state.inputs.Count(); ++n) {
        backend.RecordSetInput(n, kInputOff, kVolumeUnchanged);
    }
    backend.RecordSetInput(state.CurrentInput, kInputOn, kVolumeUnchanged);
}

void levelin(CaptureBackend& backend, const CaptureState& state, const RangedValue& sLevel) {
    const float volume = static_cast<float>(sLevel.Value()) / kVolumeSteps;
    if (!backend.RecordSetInput(state.CurrentInput, kInputUnchanged, volume)) {
        backend.RecordSetInput(kMasterInput, kInputUnchanged, volume);
    }
}

int32_t InputLevelOfVolume(float volume) {
    return static_cast<int32_t>(std::lround(std::clamp(volume, 0.0f, 1.0f) * kVolumeSteps));
}

void Error_(CaptureBackend& backend, MessageSink& messages, const std::string& text) {
    const int32_t code = backend.ErrorGetCode();
    messages.ShowMessage(text + "\r\n\r\nerror code: " + std::to_string(code), "Error",
                         MessageIcon::Warning, backend.ErrorDetail());
}

void StopCapture(CaptureBackend& backend, CaptureState& state) {
    backend.RecordFree();
    state.RecordHandle = 0;
    state.lost = false;
}

std::optional<float> CurrentInputVolume(CaptureBackend& backend, const CaptureState& state) {
    float volume = 0.0f;
    if (state.CurrentInput >= 0 &&
        backend.RecordGetInput(state.CurrentInput, &volume) != kInputQueryFailed) {
        return volume;
    }
    if (backend.RecordGetInput(kMasterInput, &volume) != kInputQueryFailed) {
        return volume;
    }
    return std::nullopt;
}

}  // namespace zeb
