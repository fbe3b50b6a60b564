// The one symbol zeb-aubio.so exports (the rest of the module stays hidden).
#include <type_traits>

#include "audio/AubioTempo.h"
#include "audio/TempoAnalyser.h"

extern "C" __attribute__((visibility("default"))) void zeb_make_tempo_analyser(
    uint32_t rate, std::unique_ptr<zeb::TempoAnalyser>& analyser) {
    analyser = std::make_unique<zeb::AubioTempo>(rate);
}

// The program calls the entry through this type: a mismatch fails to build here.
static_assert(std::is_same_v<decltype(&zeb_make_tempo_analyser), zeb::TempoModuleEntry>);
