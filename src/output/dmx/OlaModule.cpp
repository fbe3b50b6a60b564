#include "output/dmx/OlaModule.h"

#include "engine/ModuleLoad.h"

namespace zeb {

DmxLinkFactory OlaDmxLinks(const std::filesystem::path& programFolder) {
    // Shared by the copies of the factory, so the module is looked for once per run.
    auto entry = std::make_shared<OlaModuleEntry>(nullptr);
    return
        [entry, programFolder](uint16_t rpcPort, std::string& problem) -> std::unique_ptr<DmxLink> {
            if (*entry == nullptr) {
                *entry = reinterpret_cast<OlaModuleEntry>(
                    LoadModuleEntry(programFolder, kOlaModuleFile, kOlaModuleEntry, problem));
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
