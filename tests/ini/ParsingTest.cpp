// How file text becomes sections and entries.

#include <gtest/gtest.h>

#include "LoadText.h"

namespace zeb::testing {
namespace {

using Parsing = StoreFromText;

TEST_F(Parsing, LinesEndAtCrLfLoneCrOrLoneLfAndALastLineNeedsNoEnd) {
    const clsINI ini = Load("[a]\r\nk1=v1\rk2=v2\nk3=v3\n\r[b]\rk4=v4");
    ASSERT_EQ(ini.SectionsCount(), 2);
    EXPECT_EQ(ini.ValuesCount("a"), 3);
    EXPECT_EQ(ini.Value("a", "k1"), "v1");
    EXPECT_EQ(ini.Value("a", "k2"), "v2");
    EXPECT_EQ(ini.Value("a", "k3"), "v3");
    EXPECT_EQ(ini.Value("b", "k4"), "v4");
}

TEST_F(Parsing, OnlyTheSpaceCharacterIsTrimmedAndInnerBlanksStay) {
    const clsINI ini = Load("   [ Value ]  \r\n  Sld2 = 7  \r\n\tTab=1\r\n");
    EXPECT_EQ(ini.SectionName(1), " Value ");
    EXPECT_FALSE(ini.SectionExists("Value"));
    EXPECT_EQ(ini.ValueName(" Value ", 1), "Sld2 ");
    EXPECT_EQ(ini.Value(" Value ", "Sld2 "), " 7");
    EXPECT_EQ(ini.Value(" Value ", "Sld2"), NulString);
    EXPECT_EQ(ini.ValueName(" Value ", 2), "\tTab");
}

TEST_F(Parsing, CommentsAreDroppedAndBlanksBeforeACutStay) {
    const clsINI ini = Load(
        "; top\r\n[s] ; header note\r\n   ;indented comment\r\nk=v ;note\r\nm=a;b;c\r\n=x;\r\n");
    ASSERT_EQ(ini.SectionsCount(), 1);
    EXPECT_EQ(ini.SectionName(1), "s");
    ASSERT_EQ(ini.ValuesCount("s"), 2);
    EXPECT_EQ(ini.Value("s", "k"), "v ");
    EXPECT_EQ(ini.Value("s", "m"), "a");
}

TEST_F(Parsing, HeaderRules) {
    const clsINI ini = Load("[]\r\n[open\r\n[name]trailing text\r\nk=1\r\n[x]]\r\n");
    ASSERT_EQ(ini.SectionsCount(), 2);
    EXPECT_EQ(ini.SectionName(1), "name");
    EXPECT_EQ(ini.Value("name", "k"), "1");
    EXPECT_EQ(ini.SectionName(2), "x");
}

TEST_F(Parsing, EntryRules) {
    const clsINI ini = Load("[s]\r\nno equals\r\n=starts\r\nempty=\r\nk=a=b\r\n");
    ASSERT_EQ(ini.ValuesCount("s"), 2);
    EXPECT_EQ(ini.ValueName("s", 1), "empty");
    EXPECT_EQ(ini.Value("s", "empty"), "");
    EXPECT_EQ(ini.Value("s", "k"), "a=b");
}

TEST_F(Parsing, EntriesAboveTheFirstHeaderAreNotVisible) {
    clsINI ini = Load("orphan=1\r\n[s]\r\nk=2\r\n");
    EXPECT_EQ(ini.SectionsCount(), 1);
    EXPECT_EQ(ini.ValuesCount("s"), 1);
    EXPECT_EQ(ini.Value("s", "orphan"), NulString);
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(ReadBytes(ini.FileName()), "[s]\r\nk=2\r\n\r\n");
}

TEST_F(Parsing, BytesAreTakenExactly) {
    const std::string key("K\xC3\xA9y\x01", 5);
    const std::string value("\xFF\x00\x80 z", 5);
    const clsINI ini = Load("[\xD0\x9F]\r\n" + key + "=" + value + "\r\n");
    EXPECT_EQ(ini.SectionName(1), "\xD0\x9F");
    EXPECT_EQ(ini.Value("\xD0\x9F", key), value);
}

TEST_F(Parsing, EmptyFileAndMissingFileGiveAnEmptyStore) {
    EXPECT_EQ(Load("").SectionsCount(), 0);

    clsINI ini = Load("[s]\r\nk=1\r\n");
    ini.FileName(dir_.File("missing.ini"));
    EXPECT_EQ(ini.SectionsCount(), 0);
    EXPECT_EQ(ini.FileName(), dir_.File("missing.ini"));
}

}  // namespace
}  // namespace zeb::testing
