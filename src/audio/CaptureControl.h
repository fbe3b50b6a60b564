#pragma once
// Opening the capture at start-up, the user's device and input choices, the input volume and
// the audio error report. Everything runs on the program's thread (the window's event loop or
// the service's poll loop) against a CaptureBackend.

#include <cstdint>
#include <optional>
#include <string>

#include "audio/CaptureBackend.h"
#include "audio/CaptureState.h"
#include "engine/MessageSink.h"
#include "engine/ModelValues.h"

namespace zeb {

// What the caller does next: keep running, or end the program at once (after the message the
// operation has already shown).
enum class AudioOutcome { Running, EndProgram };

constexpr uint32_t kCaptureRate = 44100;
constexpr uint32_t kCaptureChannels = 1;

// Start-up: version check, default device, input list (the last input that is on ends up
// selected), device list (each device opened in turn), the stored device, then the capture.
// The stored device is state.source by name when that is listed, else the stored position
// when no name was stored; failing both, the device the back end prefers.
AudioOutcome StartAudio(CaptureBackend& backend, CaptureState& state,
                        std::optional<int16_t> storedDeviceIndex, MessageSink& messages);

// The user (or start-up) picked device `index`: restart the capture on it; from now on the
// capture follows that device by name. The input list is kept, and CurrentInput now refers to
// the new device.
AudioOutcome SelectDevice(CaptureBackend& backend, CaptureState& state, int32_t index,
                          MessageSink& messages);

// The user (or start-up) picked input `index`: every listed input off, then that one on.
void SelectInput(CaptureBackend& backend, CaptureState& state, int32_t index);

// Applies the input-volume slider (0..254) to the current input, or to the device's master
// input when the current input refuses it.
void levelin(CaptureBackend& backend, const CaptureState& state, const RangedValue& sLevel);

// The input-volume slider position (0..254) that shows `volume` (0..1), on levelin's scale.
int32_t InputLevelOfVolume(float volume);

// The audio error report: the text, an empty line and the back end's error code, in a warning
// box titled "Error", with the back end's detail for the log line. It does not end the
// program; its callers do.
void Error_(CaptureBackend& backend, MessageSink& messages, const std::string& text);

// The list position of the device the sound system calls `key`; nullopt when it is not listed.
std::optional<int> ListedPosition(const CaptureState& state, const std::string& key);

// Frees the capture device; RecordHandle becomes 0.
void StopCapture(CaptureBackend& backend, CaptureState& state);

// The current input's volume 0..1 (the device's master volume when no input is selected or the
// input has none), so the input-volume slider can start where the sound system stands.
std::optional<float> CurrentInputVolume(CaptureBackend& backend, const CaptureState& state);

}  // namespace zeb
