#include "output/OlaModule.h"

#include <dlfcn.h>

#include <filesystem>
#include <vector>

namespace zeb {

namespace {

std::vector<std::filesystem::path> ModuleCandidates() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    const std::filesystem::path folder = program.parent_path();
    return {folder / kOlaModuleFile, folder.parent_path() / "lib" / "zeb" / kOlaModuleFile};
}

// The loaded module's entry; nullptr with the loader's reasons when no candidate loads.
OlaModuleEntry LoadEntry(std::string& problem) {
    problem.clear();
    for (const std::filesystem::path& candidate : ModuleCandidates()) {
        std::error_code error;
        if (!std::filesystem::exists(candidate, error)) {
            continue;
        }
        // Never unloaded: links made by it may live until the program ends, and OLA keeps
        // state of its own until then.
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

DmxLinkFactory OlaDmxLinks() {
    // Shared by the copies of the factory, so the module is looked for once per run.
    auto entry = std::make_shared<OlaModuleEntry>(nullptr);
    return [entry](uint16_t rpcPort, std::string& problem) -> std::unique_ptr<DmxLink> {
        if (*entry == nullptr) {
            *entry = LoadEntry(problem);
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
