#pragma once
// Libraries that only some runs need (OLA's client for DMX, aubio for the beat) come in modules
// of their own, loaded the first time they are wanted: a run without them carries nothing more.

#include <filesystem>
#include <string>

namespace zeb {

// The exported function `entry` of module `file`, beside the program (the build tree, a copied
// program) or in the installed module folder (../lib/zeb from there). The module stays loaded
// until the program ends. nullptr when no candidate loads, with the loader's reasons in
// `problem`.
void* LoadModuleEntry(const std::filesystem::path& programFolder, const char* file,
                      const char* entry, std::string& problem);

}  // namespace zeb
