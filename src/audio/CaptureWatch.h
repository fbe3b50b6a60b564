#pragma once
// Keeping the capture alive while devices and the sound server come and go: a slow timer on the
// program's thread looks at the sound system, notices a capture that has ended, keeps the device
// list in step with the server and takes the capture up again on the same device once it is back.

#include <chrono>

#include "audio/CaptureBackend.h"
#include "audio/CaptureState.h"
#include "engine/MessageSink.h"

namespace zeb {

// How often the program looks: a device or server that comes back is listened to again within
// about a second, and waiting costs next to nothing.
constexpr std::chrono::milliseconds kCaptureWatchInterval{500};

struct CaptureWatchResult {
    // The device list or its selection changed: the window shows it again.
    bool listChanged = false;
    // The lost capture runs again, on a source that came back at whatever volume the server
    // gave it.
    bool reopened = false;
};

// One look. Waits for nothing while the server is away (the back end reconnects in the
// background); while it answers, re-reads the device list only when devices came or went.
CaptureWatchResult WatchCapture(CaptureBackend& backend, CaptureState& state,
                                MessageSink& messages);

}  // namespace zeb
