// What UpdateFile writes and how it replaces the file.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "LoadText.h"

namespace zeb::testing {
namespace {

class Writing : public ::testing::Test {
  protected:
    TempDir dir_;
};

TEST_F(Writing, SectionsEntriesAndEmptyLinesEndInCrLf) {
    clsINI ini;
    ini.FileName(dir_.File("new.ini"));
    ini.Value("Frm", "Wh", "6655");
    ini.AddSection("LPT");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(dir_.File("new.ini")), "[Frm]\r\nWh=6655\r\n\r\n[LPT]\r\n\r\n");
}

TEST_F(Writing, NamesAndValuesAreWrittenExactly) {
    clsINI ini;
    ini.FileName(dir_.File("set.ini"));
    ini.Value(" A b ", "Sld2 ", " 5 ");
    ini.Value(" A b ", "e", "");
    ini.Value(" A b ", "nul", NulString);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(dir_.File("set.ini")),
              std::string("[ A b ]\r\nSld2 = 5 \r\ne=\r\nnul=\0\r\n\r\n", 33));
}

TEST_F(Writing, AWrittenFileLoadsBackToTheSameStore) {
    clsINI first = LoadText(dir_,
                            "junk\r\n[Value]\r\nSld2 =3 ;c\r\nk=a=b\n\r\n\r\n  [x y] \r\n"
                            "[VALUE]\r\nq=\r\n[empty]\r");
    ASSERT_TRUE(first.UpdateFile());
    const std::string firstText = ReadBytes(first.FileName());
    EXPECT_EQ(firstText,
              "[Value]\r\nSld2 =3 \r\nk=a=b\r\n\r\n[x y]\r\n\r\n[VALUE]\r\nq=\r\n\r\n"
              "[empty]\r\n\r\n");

    clsINI second;
    second.FileName(first.FileName());
    // Only the blank that the cut comment left is gone.
    first.Value("Value", "Sld2 ", "3");
    ASSERT_EQ(second.Sections().size(), first.Sections().size());
    for (size_t i = 0; i < first.Sections().size(); ++i) {
        const auto& a = first.Sections()[i];
        const auto& b = second.Sections()[i];
        EXPECT_EQ(a.Name, b.Name);
        ASSERT_EQ(a.Values.size(), b.Values.size()) << a.Name;
        for (size_t k = 0; k < a.Values.size(); ++k) {
            EXPECT_EQ(a.Values[k].Name, b.Values[k].Name);
            EXPECT_EQ(a.Values[k].Value, b.Values[k].Value);
        }
    }

    ASSERT_TRUE(second.UpdateFile());
    const std::string secondText = ReadBytes(first.FileName());
    clsINI third;
    third.FileName(first.FileName());
    ASSERT_TRUE(third.UpdateFile());
    EXPECT_EQ(ReadBytes(first.FileName()), secondText);
}

TEST_F(Writing, WithoutAFileNameNothingIsWritten) {
    clsINI ini;
    ini.Value("s", "k", "v");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_TRUE(dir_.Listing().empty());
}

TEST_F(Writing, SettingFileNameDiscardsTheStoreAndUpdateFileCreatesTheFile) {
    clsINI ini = LoadText(dir_, "[s]\r\nk=1\r\n");
    ini.FileName(dir_.File("fresh.ini"));
    EXPECT_EQ(ini.SectionsCount(), 0);
    ini.AddSection("t");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(dir_.File("fresh.ini")), "[t]\r\n\r\n");
    EXPECT_EQ(ReadBytes(dir_.File("set.ini")), "[s]\r\nk=1\r\n");
}

TEST_F(Writing, ReplacingKeepsPermissionBitsAndLeavesNoOtherFile) {
    clsINI ini = LoadText(dir_, "[s]\r\nk=1\r\n");
    ASSERT_EQ(::chmod(ini.FileName().c_str(), 0640), 0);
    ini.Value("s", "k", "2");
    ASSERT_TRUE(ini.UpdateFile());

    struct stat info {};
    ASSERT_EQ(::stat(ini.FileName().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(ini.FileName()), "[s]\r\nk=2\r\n\r\n");
    EXPECT_EQ(dir_.Listing(), std::vector<std::string>{"set.ini"});
}

TEST_F(Writing, ALinkedSettingsFileIsReplacedWhereItLives) {
    // set.ini -> real/set.ini -> zeb.ini, each link relative to its own folder.
    std::filesystem::create_directory(dir_.Path() / "real");
    WriteBytes(dir_.File("real/zeb.ini"), "[s]\r\nk=1\r\n");
    std::filesystem::create_symlink("zeb.ini", dir_.Path() / "real/set.ini");
    std::filesystem::create_symlink("real/set.ini", dir_.Path() / "set.ini");

    clsINI ini;
    ini.FileName(dir_.File("set.ini"));
    ini.Value("s", "k", "2");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.Path() / "set.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir_.Path() / "real/set.ini"));
    EXPECT_EQ(ReadBytes(dir_.File("real/zeb.ini")), "[s]\r\nk=2\r\n\r\n");
}

TEST_F(Writing, NewFilesThatInterruptedSavesLeftAreRemovedUnlessTheirSaveMayStillRun) {
    // A process that has ended, and one that still runs.
    const pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ASSERT_GT(ended, 0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const std::string running = std::to_string(::getppid());
    const std::string own = std::to_string(::getpid());
    const std::string gone = std::to_string(ended);
    for (const std::string& name : {"set.ini.new-" + gone + "-0", "set.ini.new-" + own + "-7",
                                    "set.ini.new-" + running + "-0", "set.ini.new-" + gone + "-x",
                                    "other.ini.new-" + gone + "-0", std::string("set.ini.old")}) {
        WriteBytes(dir_.File(name), "left over");
    }

    clsINI ini;
    ini.FileName(dir_.File("set.ini"));
    ini.AddSection("s");
    ASSERT_TRUE(ini.UpdateFile());
    std::vector<std::string> kept = {"set.ini", "set.ini.new-" + running + "-0",
                                     "set.ini.new-" + gone + "-x", "other.ini.new-" + gone + "-0",
                                     "set.ini.old"};
    std::ranges::sort(kept);
    EXPECT_EQ(dir_.Listing(), kept);
}

}  // namespace
}  // namespace zeb::testing
