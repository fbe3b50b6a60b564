// What counts as a number in the settings file, and how the width is written.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/SettingsNumbers.h"
#include "ini/clsINI.h"
#include "support/TempDir.h"

namespace zeb::testing {
namespace {

TEST(SettingsNumbers, IntegersAllowBlanksAndOneSign) {
    EXPECT_EQ(ParseInt32("42"), 42);
    EXPECT_EQ(ParseInt32("  -7 "), -7);
    EXPECT_EQ(ParseInt32("+7"), 7);
    EXPECT_EQ(ParseInt32("007"), 7);
    for (const char* text :
         {"", " ", "-", "+-1", "--1", "1 2", "\t1", "0x10", "1e3", "12.0", "abc", "5a", ",5"}) {
        EXPECT_EQ(ParseInt32(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(ParseInt32(NulString), std::nullopt);
}

TEST(SettingsNumbers, IntegersOutsideTheirTypeAreRefused) {
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
    EXPECT_EQ(ParseInt32("99999999999999999999"), std::nullopt);
    EXPECT_EQ(ParseInt16("32767"), 32767);
    EXPECT_EQ(ParseInt16("-32768"), -32768);
    EXPECT_EQ(ParseInt16("32768"), std::nullopt);
    EXPECT_EQ(ParseInt16("-1"), -1);
}

TEST(SettingsNumbers, SingleAllowsOneDecimalPoint) {
    EXPECT_EQ(ParseSingle("6655"), 6655.0f);
    EXPECT_EQ(ParseSingle(" 643.3333 "), 643.3333f);
    EXPECT_EQ(ParseSingle(".5"), 0.5f);
    EXPECT_EQ(ParseSingle("12."), 12.0f);
    EXPECT_EQ(ParseSingle("-1.5"), -1.5f);
    for (const char* text : {"", ".", "1.2.3", "1e3", "inf", "nan", "1,5", "0x1p3"}) {
        EXPECT_EQ(ParseSingle(text), std::nullopt) << '"' << text << '"';
    }
    EXPECT_EQ(ParseSingle(std::string(50, '9')), std::nullopt);
}

TEST(SettingsNumbers, SingleIsWrittenWithAtMostSevenDigits) {
    EXPECT_EQ(FormatSingle(6655.0f), "6655");
    EXPECT_EQ(FormatSingle(9650.0f), "9650");
    EXPECT_EQ(FormatSingle(9650.0f / 15.0f), "643.3333");
    EXPECT_EQ(FormatSingle(9650.5f), "9650.5");
    EXPECT_EQ(FormatSingle(1234567.8f), "1234568");
    EXPECT_EQ(FormatSingle(0.1f), "0.1");
    EXPECT_EQ(FormatSingle(0.0f), "0");
}

// A German locale built into a private folder (the machine need not have it installed), or
// nullptr when the locale sources are missing.
const char* PrivateCommaLocale(const TempDir& folder) {
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + folder.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        return nullptr;
    }
    ::setenv("LOCPATH", folder.Path().c_str(), 1);
    return "de_DE.UTF-8";
}

// The window toolkit puts the C library into the user's locale; a decimal comma there must not
// reach the file, or the next load would skip the width.
TEST(SettingsNumbers, WidthIsWrittenWithADecimalPointInEveryLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    TempDir locales;
    const char* comma = PrivateCommaLocale(locales);
    if (comma == nullptr || std::setlocale(LC_NUMERIC, comma) == nullptr) {
        ::unsetenv("LOCPATH");
        GTEST_SKIP() << "no locale with a decimal comma can be made (package locales)";
    }
    char check[16];
    std::snprintf(check, sizeof check, "%.1f", 0.5);
    const std::string written = FormatSingle(9650.0f / 15.0f);
    std::setlocale(LC_NUMERIC, previous.c_str());
    ::unsetenv("LOCPATH");
    ASSERT_STREQ(check, "0,5") << "the locale really writes a decimal comma";
    EXPECT_EQ(written, "643.3333") << "in " << comma;
    EXPECT_EQ(ParseSingle(written), 643.3333f);
}

}  // namespace
}  // namespace zeb::testing
