#include "audio/CaptureWatch.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "audio/CaptureControl.h"
#include "audio/CaptureErrors.h"

namespace zeb {

namespace {

struct ListedDevice {
    std::string name;
    std::string key;
    // A device is the same device while its sound-system name is; without one, its shown name.
    const std::string& Identity() const { return key.empty() ? name : key; }
    std::string Shown() const { return key.empty() ? name : name + " (" + key + ")"; }
};

std::vector<ListedDevice> ShownDevices(const CaptureState& state) {
    std::vector<ListedDevice> shown;
    for (int d = 0; d < state.devices.Count(); ++d) {
        const auto position = static_cast<size_t>(d);
        shown.push_back({state.devices.Entries()[position],
                         position < state.deviceKeys.size() ? state.deviceKeys[position] : ""});
    }
    return shown;
}

// The devices as the sound system lists them now; nullopt when it could not say (the list is
// then left as it is).
std::optional<std::vector<ListedDevice>> ReadDevices(CaptureBackend& backend) {
    std::vector<ListedDevice> listed;
    for (int d = 0;; ++d) {
        const std::optional<std::string> name = backend.RecordGetDeviceInfo(d);
        if (!name) {
            if (backend.ErrorGetCode() != capture_error::kDevice) {
                return std::nullopt;
            }
            return listed;
        }
        listed.push_back({*name, backend.RecordGetDeviceKey(d).value_or("")});
    }
}

bool Contains(const std::vector<ListedDevice>& devices, const ListedDevice& device) {
    return std::any_of(devices.begin(), devices.end(), [&](const ListedDevice& other) {
        return other.Identity() == device.Identity();
    });
}

// Shows `listed` in the device list, the selection staying on the followed device (none while
// that is not listed), and logs each device that came or went. Returns whether anything changed.
bool ShowDevices(CaptureState& state, const std::vector<ListedDevice>& listed,
                 MessageSink& messages) {
    const std::vector<ListedDevice> before = ShownDevices(state);
    for (const ListedDevice& device : before) {
        if (!Contains(listed, device)) {
            messages.LogEvent("device removed: " + device.Shown());
        }
    }
    for (const ListedDevice& device : listed) {
        if (!Contains(before, device)) {
            messages.LogEvent("device added: " + device.Shown());
        }
    }
    const int32_t selected = state.devices.Index();
    std::vector<std::string> names;
    state.deviceKeys.clear();
    for (const ListedDevice& device : listed) {
        names.push_back(device.name);
        state.deviceKeys.push_back(device.key);
    }
    const bool sameEntries = names == state.devices.Entries();
    state.devices = ChoiceList(std::move(names));
    state.devices.SetIndex(ListedPosition(state, state.source).value_or(-1));
    return !sameEntries || state.devices.Index() != selected;
}

// Starts the capture again on the followed device, at its place in the list just read.
bool Reopen(CaptureBackend& backend, CaptureState& state, MessageSink& messages) {
    const std::optional<int> position = ListedPosition(state, state.source);
    if (!position) {
        return false;
    }
    backend.RecordFree();
    const CaptureHandle handle =
        backend.RecordInit(*position) ? backend.RecordStart(kCaptureRate, kCaptureChannels, 0) : 0;
    if (handle == 0) {
        // Tried again on the next look.
        backend.RecordFree();
        return false;
    }
    state.RecordHandle = handle;
    state.lost = false;
    messages.LogEvent("capture reopened: " + state.source);
    return true;
}

}  // namespace

CaptureWatchResult WatchCapture(CaptureBackend& backend, CaptureState& state,
                                MessageSink& messages) {
    CaptureWatchResult result;
    if (state.RecordHandle == 0 && !state.lost) {
        return result;  // stopped for good
    }
    // A capture whose device or server went away fails its level query.
    const bool ended =
        state.RecordHandle != 0 && backend.ChannelGetLevel(state.RecordHandle) == kLevelFailed;
    const DeviceWatch watch = backend.WatchDevices();
    if (!watch.reachable) {
        result.listChanged = ShowDevices(state, {}, messages);
    } else if (watch.devicesChanged || ended) {
        // Read afresh when the capture ends too, so it is never reopened at a position that
        // has since gone to another device; after that, any change is reported by the watch.
        if (const auto listed = ReadDevices(backend)) {
            result.listChanged = ShowDevices(state, *listed, messages);
        }
    }
    if (ended) {
        backend.RecordFree();
        state.RecordHandle = 0;
        state.lost = true;
        const char* reason = !watch.reachable                       ? "sound server gone"
                             : !ListedPosition(state, state.source) ? "source removed"
                                                                    : "capture ended";
        messages.LogEvent("capture lost: " + state.source + " (" + reason + ")");
    }
    if (state.lost && watch.reachable) {
        result.reopened = Reopen(backend, state, messages);
    }
    return result;
}

}  // namespace zeb
