#pragma once
// Loads a store from the given file text, the way the program loads set.ini.

#include <string>

#include "ini/clsINI.h"
#include "support/TempDir.h"

namespace zeb::testing {

inline clsINI LoadText(const TempDir& dir, const std::string& text) {
    const std::string path = dir.File("set.ini");
    WriteBytes(path, text);
    clsINI ini;
    ini.FileName(path);
    return ini;
}

}  // namespace zeb::testing
