#include "engine/ModuleLoad.h"

#include <dlfcn.h>

#include <system_error>

namespace zeb {

void* LoadModuleEntry(const std::filesystem::path& programFolder, const char* file,
                      const char* entry, std::string& problem) {
    problem.clear();
    const std::filesystem::path candidates[] = {programFolder / file,
                                                programFolder.parent_path() / "lib" / "zeb" / file};
    for (const std::filesystem::path& candidate : candidates) {
        std::error_code error;
        if (!std::filesystem::exists(candidate, error)) {
            continue;
        }
        // Never unloaded: a thread of the module left behind (a sender on a hung olad) may still
        // run its code, and the libraries keep state of their own until the program ends.
        void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle == nullptr) {
            problem += dlerror();
            problem += "; ";
            continue;
        }
        if (void* found = dlsym(handle, entry)) {
            return found;
        }
        problem += candidate.string() + " has no " + entry + "; ";
    }
    if (problem.empty()) {
        problem = std::string(file) + " is neither beside the program nor in ../lib/zeb";
    } else {
        problem.resize(problem.size() - 2);
    }
    return nullptr;
}

}  // namespace zeb
