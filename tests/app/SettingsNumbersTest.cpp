// What counts as a number in the settings file, and how the width is written.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "app/SettingsNumbers.h"
#include "ini/clsINI.h"

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

// The window toolkit puts the C library into the user's locale; a decimal comma there must not
// reach the file, or the next load would skip the width.
TEST(SettingsNumbers, WidthIsWrittenWithADecimalPointInEveryLocale) {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            comma = name;
            break;
        }
    }
    if (comma == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    const std::string written = FormatSingle(9650.0f / 15.0f);
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_EQ(written, "643.3333") << "in " << comma;
    EXPECT_EQ(ParseSingle(written), 643.3333f);
}

}  // namespace
}  // namespace zeb::testing
