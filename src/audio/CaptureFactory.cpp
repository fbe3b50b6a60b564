#include "audio/CaptureFactory.h"

#include <cstdlib>

#include "audio/PulseBackend.h"
#include "audio/WavBackend.h"

namespace zeb {

std::unique_ptr<CaptureBackend> MakeCaptureBackend() {
    const char* file = std::getenv("ZEB_AUDIO_FILE");
    if (file != nullptr && *file != '\0') {
        return std::make_unique<WavBackend>(file);
    }
    return std::make_unique<PulseBackend>();
}

}  // namespace zeb
