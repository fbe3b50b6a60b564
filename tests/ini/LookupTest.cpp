// Finding sections and entries: case folding, duplicates and what a miss returns.

#include <gtest/gtest.h>

#include "LoadText.h"

namespace zeb::testing {
namespace {

using Lookup = StoreFromText;

TEST_F(Lookup, CaseOfAsciiLettersIsIgnoredAndBlanksCount) {
    const clsINI ini = Load("[Value]\r\nSld2 =5\r\nsLevel=9\r\n");
    EXPECT_TRUE(ini.SectionExists("VALUE"));
    EXPECT_EQ(ini.Value("vAlUe", "SLD2 "), "5");
    EXPECT_EQ(ini.Value("Value", "slevel"), "9");
    EXPECT_FALSE(ini.ValueExists("Value", "Sld2"));
    EXPECT_FALSE(ini.SectionExists("Value "));
}

TEST_F(Lookup, OnlyAsciiLettersAreFolded) {
    // Latin-1 "a umlaut" and UTF-8 "e acute" in both cases, and characters whose codes differ
    // by 32 without being letters.
    const clsINI ini = Load("[\xE4]\r\n\xC3\xA9=1\r\n@=2\r\n");
    EXPECT_FALSE(ini.SectionExists("\xC4"));
    EXPECT_TRUE(ini.SectionExists("\xE4"));
    EXPECT_EQ(ini.Value("\xE4", "\xC3\x89"), NulString);
    EXPECT_EQ(ini.Value("\xE4", "\xC3\xA9"), "1");
    EXPECT_EQ(ini.Value("\xE4", "`"), NulString);
}

TEST_F(Lookup, AMissReturnsNulStringNotTheEmptyText) {
    const clsINI ini = Load("[s]\r\nempty=\r\n[none]\r\n");
    EXPECT_EQ(NulString.size(), 1u);
    EXPECT_EQ(NulString[0], '\0');

    EXPECT_EQ(ini.Value("s", "empty"), "");
    EXPECT_EQ(ini.Value("s", "missing"), NulString);
    EXPECT_EQ(ini.Value("missing", "empty"), NulString);
    EXPECT_EQ(ini.ValuesCount("s"), 1);
    EXPECT_EQ(ini.ValuesCount("none"), 0);
    EXPECT_EQ(ini.ValuesCount("missing"), -1);
}

TEST_F(Lookup, IndicesCountFromOne) {
    const clsINI ini = Load("[a]\r\nk1=1\r\nk2=2\r\n[b]\r\n");
    EXPECT_EQ(ini.SectionName(1), "a");
    EXPECT_EQ(ini.SectionName(2), "b");
    EXPECT_EQ(ini.SectionName(0), NulString);
    EXPECT_EQ(ini.SectionName(3), NulString);
    EXPECT_EQ(ini.SectionName(-1), NulString);
    EXPECT_EQ(ini.ValueName("a", 2), "k2");
    EXPECT_EQ(ini.ValueName("a", 0), NulString);
    EXPECT_EQ(ini.ValueName("a", 3), NulString);
    EXPECT_EQ(ini.ValueName("b", 1), NulString);
    EXPECT_EQ(ini.ValueName("c", 1), NulString);
}

TEST_F(Lookup, DuplicateSectionsAnswerFromTheFirst) {
    clsINI ini = Load("[Value]\r\nk=first\r\n[other]\r\n[VALUE]\r\nk=second\r\nonly=here\r\n");
    EXPECT_EQ(ini.SectionsCount(), 3);
    EXPECT_EQ(ini.Value("value", "k"), "first");
    EXPECT_EQ(ini.Value("value", "only"), NulString);
    EXPECT_EQ(ini.ValuesCount("Value"), 1);

    ini.Value("Value", "k", "changed");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(
        ReadBytes(ini.FileName()),
        "[Value]\r\nk=changed\r\n\r\n[other]\r\n\r\n[VALUE]\r\nk=second\r\nonly=here\r\n\r\n");
}

TEST_F(Lookup, DuplicateKeysAnswerFromTheFirst) {
    clsINI ini = Load("[s]\r\nK=1\r\nk=2\r\n");
    EXPECT_EQ(ini.ValuesCount("s"), 2);
    EXPECT_EQ(ini.Value("s", "k"), "1");
    ASSERT_TRUE(ini.RemoveValue("s", "k"));
    EXPECT_EQ(ini.Value("s", "k"), "2");
}

}  // namespace
}  // namespace zeb::testing
