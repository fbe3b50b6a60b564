#pragma once
// The capture back end the program uses: the sound file named by ZEB_AUDIO_FILE when that is
// set, otherwise the PulseAudio (or PipeWire) server.

#include <memory>

#include "audio/CaptureBackend.h"

namespace zeb {

std::unique_ptr<CaptureBackend> MakeCaptureBackend();

}  // namespace zeb
