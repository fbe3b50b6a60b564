#pragma once
// Stores loaded from given file text, the way the program loads set.ini.

#include <gtest/gtest.h>

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

// A fixture whose tests load stores from file text in their own folder.
class StoreFromText : public ::testing::Test {
  protected:
    clsINI Load(const std::string& text) { return LoadText(dir_, text); }
    TempDir dir_;
};

}  // namespace zeb::testing
