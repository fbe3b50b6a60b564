// Adding, changing and removing sections and entries in memory.

#include <gtest/gtest.h>

#include "ini/clsINI.h"

namespace zeb::testing {
namespace {

// Section names in store order.
std::vector<std::string> SectionNames(const clsINI& ini) {
    std::vector<std::string> names;
    for (int32_t i = 1; i <= ini.SectionsCount(); ++i) {
        names.push_back(ini.SectionName(i));
    }
    return names;
}

using Names = std::vector<std::string>;

TEST(Editing, ANewStoreIsEmptyAndHasNoFileName) {
    const clsINI ini;
    EXPECT_EQ(ini.SectionsCount(), 0);
    EXPECT_EQ(ini.FileName(), "");
}

TEST(Editing, AddSectionRefusesAMatchingName) {
    clsINI ini;
    EXPECT_TRUE(ini.AddSection("Frm"));
    EXPECT_FALSE(ini.AddSection("FRM"));
    EXPECT_TRUE(ini.AddSection("Frm "));
    EXPECT_EQ(SectionNames(ini), (Names{"Frm", "Frm "}));
}

TEST(Editing, RemoveSectionTakesTheFirstMatchAndMovesTheRestUp) {
    clsINI ini;
    ini.AddSection("a");
    ini.AddSection("b");
    ini.AddSection("c");
    EXPECT_FALSE(ini.RemoveSection("d"));
    EXPECT_TRUE(ini.RemoveSection("B"));
    EXPECT_EQ(SectionNames(ini), (Names{"a", "c"}));
    EXPECT_FALSE(ini.SectionExists("b"));
}

TEST(Editing, AddValueCreatesTheSectionAndKeepsAnExistingValue) {
    clsINI ini;
    EXPECT_TRUE(ini.AddValue("s", "k", "1"));
    EXPECT_FALSE(ini.AddValue("S", "K", "2"));
    EXPECT_EQ(ini.Value("s", "k"), "1");
    EXPECT_TRUE(ini.AddValue("s", "m", ""));
    EXPECT_EQ(ini.ValueName("s", 2), "m");
    EXPECT_EQ(ini.Value("s", "m"), "");
}

TEST(Editing, SetValueReplacesInPlaceKeepingTheKeysSpelling) {
    clsINI ini;
    ini.Value("Value", "Sld2 ", "1");
    ini.Value("Value", "sLevel", "2");
    ini.Value("VALUE", "SLD2 ", "3");
    EXPECT_EQ(ini.ValuesCount("Value"), 2);
    EXPECT_EQ(ini.ValueName("Value", 1), "Sld2 ");
    EXPECT_EQ(ini.Value("Value", "Sld2 "), "3");
}

TEST(Editing, SetValueAppendsMissingKeysAndSections) {
    clsINI ini;
    ini.AddSection("first");
    ini.Value("second", "k", "v");
    ini.Value("first", "a", "1");
    ini.Value("first", "b", "2");
    EXPECT_EQ(SectionNames(ini), (Names{"first", "second"}));
    EXPECT_EQ(ini.ValueName("first", 1), "a");
    EXPECT_EQ(ini.ValueName("first", 2), "b");
    EXPECT_EQ(ini.Value("second", "k"), "v");
}

TEST(Editing, RemovingTheLastEntryLeavesAnEmptySection) {
    clsINI ini;
    ini.Value("s", "a", "1");
    ini.Value("s", "b", "2");
    EXPECT_FALSE(ini.RemoveValue("s", "c"));
    EXPECT_FALSE(ini.RemoveValue("t", "a"));
    EXPECT_TRUE(ini.RemoveValue("s", "A"));
    EXPECT_EQ(ini.ValueName("s", 1), "b");
    EXPECT_TRUE(ini.RemoveValue("s", "b"));
    EXPECT_TRUE(ini.SectionExists("s"));
    EXPECT_EQ(ini.ValuesCount("s"), 0);
    EXPECT_FALSE(ini.ValueExists("s", "b"));
}

}  // namespace
}  // namespace zeb::testing
