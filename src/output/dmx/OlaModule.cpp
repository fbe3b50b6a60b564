#include "output/dmx/OlaModule.h"

#include <dlfcn.h>

#include <filesystem>

namespace zeb {

namespace {

// The loaded module's entry; nullptr with the loader's reasons when no candidate loads.
OlaModuleEntry LoadEntry(const std::filesystem::path& folder, std::string& problem) {
    problem.clear();
    const std::filesystem::path candidates[] = {
        folder / kOlaModuleFile, folder.parent_path() / "lib" / "zeb" / kOlaModuleFile};
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (!std::filesystem::exists(candidate, error)) {
            continue;
        }
        // Never unloaded: a link's sender thread left behind on a hung olad may still run its
        // code, and OLA keeps state of its own until the program ends.
        void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle == nullptr) {
            problem += dlerror();
            problem += "; ";
            continue;
        }
        if (void* entry = dlsym(handle, kOlaModuleEntry)) {
            return reinterpret_cast<OlaModuleEntry>(entry);
        }
        problem += candidate.string() + " has no " + kOlaModuleEntry + "; ";
    }
    if (problem.empty()) {
        problem = std::string(kOlaModuleFile) + " is neither beside the program nor in ../lib/zeb";
    } else {
        problem.resize(problem.size() - 2);
    }
    return nullptr;
}

}  // namespace

DmxLinkFactory OlaDmxLinks(const std::filesystem::path& programFolder) {
    // Shared by the copies of the factory, so the module is looked for once per run.
    auto entry = std::make_shared<OlaModuleEntry>(nullptr);
    return
        [entry, programFolder](uint16_t rpcPort, std::string& problem) -> std::unique_ptr<DmxLink> {
            if (*entry == nullptr) {
                *entry = LoadEntry(programFolder, problem);
                if (*entry == nullptr) {
                    return nullptr;
                }
            }
            std::unique_ptr<DmxLink> link;
            (*entry)(rpcPort, link);
            return link;
        };
}

}  // namespace zeb
