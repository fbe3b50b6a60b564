// Where set.ini is read and written: beside the program while its folder is writable, else in
// the user's configuration folder.

#include "core/SettingsPath.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempDir.h"

namespace zeb {
namespace {

namespace fs = std::filesystem;

TEST(SettingsPath, AWritableProgramFolderKeepsTheFileBesideTheProgram) {
    testing::TempDir program;
    EXPECT_EQ(SettingsFilePath(program.Path(), "/xdg", "/home/u"), program.Path() / "set.ini");
}

TEST(SettingsPath, AnInstalledProgramUsesTheConfigurationFolder) {
    testing::TempDir root;
    const fs::path bin = root.Path() / "bin";
    fs::create_directory(bin);

    EXPECT_EQ(SettingsFilePath(bin, "/xdg", "/home/u"), fs::path("/xdg/zeb/set.ini"));
    // An unset or empty XDG_CONFIG_HOME means ~/.config.
    EXPECT_EQ(SettingsFilePath(bin, nullptr, "/home/u"), fs::path("/home/u/.config/zeb/set.ini"));
    EXPECT_EQ(SettingsFilePath(bin, "", "/home/u"), fs::path("/home/u/.config/zeb/set.ini"));
    // With no home either, the program folder is the only place left.
    EXPECT_EQ(SettingsFilePath(bin, nullptr, ""), bin / "set.ini");
}

TEST(SettingsPath, AReadOnlyProgramFolderUsesTheConfigurationFolder) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write every folder";
    }
    testing::TempDir program;
    fs::permissions(program.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    const fs::path chosen = SettingsFilePath(program.Path(), "/xdg", "/home/u");
    fs::permissions(program.Path(), fs::perms::owner_all);
    EXPECT_EQ(chosen, fs::path("/xdg/zeb/set.ini"));
}

}  // namespace
}  // namespace zeb
