// The one symbol zeb-ola.so exports (the rest of the module stays hidden).
#include <type_traits>

#include "output/dmx/OlaDmxLink.h"
#include "output/dmx/OlaModule.h"

extern "C" __attribute__((visibility("default"))) void zeb_make_ola_dmx_link(
    uint16_t rpcPort, std::unique_ptr<zeb::DmxLink>& link) {
    link = std::make_unique<zeb::OlaDmxLink>(rpcPort);
}

// The program calls the entry through this type: a mismatch fails to build here.
static_assert(std::is_same_v<decltype(&zeb_make_ola_dmx_link), zeb::OlaModuleEntry>);
