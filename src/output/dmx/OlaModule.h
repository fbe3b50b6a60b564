#pragma once
// OLA's client library, and the protobuf library under it, come in a module of their own
// (zeb-ola.so) that is loaded when a DMX output first starts: a run without DMX, the usual
// one, does not carry their few megabytes.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "output/Devices.h"

namespace zeb {

inline constexpr const char* kOlaModuleFile = "zeb-ola.so";
inline constexpr const char* kDmxModuleMessage =
    "OLA's client library could not be loaded, so the DMX output stays off.\r\n\r\nInstall the "
    "packages libola1 and ola, then start ZEB again.";
// What the module exports: puts a new, unconnected link to olad on `rpcPort` into `link`.
inline constexpr const char* kOlaModuleEntry = "zeb_make_ola_dmx_link";
using OlaModuleEntry = void (*)(uint16_t rpcPort, std::unique_ptr<DmxLink>& link);

// Links through the module in `programFolder` (the build tree, a copied program) or in the
// installed module folder (../lib/zeb from there). The module is loaded at the first call and
// stays loaded; when it cannot be, the factory returns nullptr and says why.
DmxLinkFactory OlaDmxLinks(const std::filesystem::path& programFolder);

}  // namespace zeb
