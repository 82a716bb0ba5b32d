#include "dxf_data/str_to_float.h"

#include <gtest/gtest.h>

#include <clocale>

namespace tessavue {
namespace {

TEST(StrToFloat, ReadsDecimalNotation) {
    EXPECT_DOUBLE_EQ(StrToFloat("10"), 10.0);
    EXPECT_DOUBLE_EQ(StrToFloat("-5"), -5.0);
    EXPECT_DOUBLE_EQ(StrToFloat("+2.5"), 2.5);
    EXPECT_DOUBLE_EQ(StrToFloat("0.125"), 0.125);
    EXPECT_DOUBLE_EQ(StrToFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(StrToFloat("5."), 5.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1.5E-2"), 0.015);
    EXPECT_DOUBLE_EQ(StrToFloat("2e+2"), 200.0);
    EXPECT_EQ(StrToFloat("0"), 0.0);
    EXPECT_EQ(StrToFloat("-0"), 0.0);
}

TEST(StrToFloat, AllowsBlanksAroundTheNumberOnly) {
    EXPECT_DOUBLE_EQ(StrToFloat("  12.5 "), 12.5);
    EXPECT_DOUBLE_EQ(StrToFloat("\t7"), 7.0);
    EXPECT_FALSE(TryStrToFloat("1 2"));
    EXPECT_FALSE(TryStrToFloat("- 5"));
    EXPECT_FALSE(TryStrToFloat("   "));
    EXPECT_FALSE(TryStrToFloat(""));
}

TEST(StrToFloat, RefusesWhatIsNoDecimalNumber) {
    for (const char* text : {"abc", "1,5", "1,000", "0x10", "inf", "-inf", "nan", "INF", "1e", "1e+", "e5",
                             ".", "-", "+", "1.2.3", "12abc", "--1", "1e5.5", "１０"}) {
        EXPECT_FALSE(TryStrToFloat(text)) << text;
    }
}

TEST(StrToFloat, TooLargeIsNoNumberTooSmallIsZero) {
    EXPECT_FALSE(TryStrToFloat("1e400"));
    EXPECT_FALSE(TryStrToFloat("-123456e400"));
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);
    EXPECT_EQ(StrToFloat("0.001e-400"), 0.0);
    EXPECT_DOUBLE_EQ(StrToFloat("1e308"), 1e308);
}

TEST(StrToFloat, DecimalPointIsDotWhateverTheLocale) {
    // A locale with a decimal comma, where one is installed; strtod would change.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name)) break;
    }
    const double value = StrToFloat("2.5");
    const bool commaRefused = !TryStrToFloat("2,5");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_DOUBLE_EQ(value, 2.5);
    EXPECT_TRUE(commaRefused);
}

TEST(StrToFloat, ErrorNamesTheText) {
    try {
        StrToFloat("abc");
        FAIL() << "no error raised";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'abc' は浮動小数点数ではありません");
        EXPECT_EQ(e.Text(), "abc");
    }
    // The text appears as typed, blanks and Shift-JIS bytes included.
    try {
        StrToFloat(" 高さ ");
        FAIL() << "no error raised";
    } catch (const ConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "' 高さ ' は浮動小数点数ではありません");
    }
}

}  // namespace
}  // namespace tessavue
