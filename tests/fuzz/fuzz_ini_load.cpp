// Loads arbitrary bytes as a settings file and checks that writing is stable: the first write
// keeps every section and entry in order (only blanks that a cut comment left at the end of an
// entry are trimmed when it is loaded again), and the second write is a fixed point.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ini/clsINI.h"
#include "support/TempDir.h"

namespace {

// Durability is not what this checks; skipping the flushes keeps the runs fast.
class NoSyncFileSystem : public zeb::FileSystem {
  public:
    int Sync(int) const override { return 0; }
};

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string TrimTrailingSpaces(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The store after a write and a load: the same sections and entries, values right-trimmed.
void CheckReloaded(const std::vector<zeb::IniSection>& before,
                   const std::vector<zeb::IniSection>& after) {
    Check(before.size() == after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        Check(before[i].Name == after[i].Name);
        Check(before[i].Values.size() == after[i].Values.size());
        for (size_t k = 0; k < before[i].Values.size(); ++k) {
            Check(before[i].Values[k].Name == after[i].Values[k].Name);
            Check(TrimTrailingSpaces(before[i].Values[k].Value) == after[i].Values[k].Value);
        }
    }
}

// A folder in memory when there is one: replacing files on a disk is far slower.
std::filesystem::path ScratchParent() {
    std::error_code error;
    return std::filesystem::is_directory("/dev/shm", error)
               ? std::filesystem::path("/dev/shm")
               : std::filesystem::temp_directory_path();
}

zeb::clsINI Load(const std::string& path) {
    zeb::clsINI ini(std::make_shared<NoSyncFileSystem>());
    ini.FileName(path);
    return ini;
}

std::string WriteAndRead(zeb::clsINI& ini) {
    Check(ini.UpdateFile());
    return zeb::testing::ReadBytes(ini.FileName());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const zeb::testing::TempDir dir(ScratchParent());
    const std::string path = dir.File("set.ini");
    zeb::testing::WriteBytes(path, std::string(reinterpret_cast<const char*>(data), size));

    zeb::clsINI first = Load(path);
    WriteAndRead(first);
    zeb::clsINI second = Load(path);
    CheckReloaded(first.Sections(), second.Sections());
    const std::string secondText = WriteAndRead(second);
    zeb::clsINI third = Load(path);
    Check(WriteAndRead(third) == secondText);
    return 0;
}
