#include "dxf_data/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>

#include "dxf_data/str_to_float.h"

namespace tessavue {
namespace {

TEST(NumberText, ListedValues) {
    EXPECT_EQ(NumberText(10), "10");
    EXPECT_EQ(NumberText(-0.5), "-0.5");
    EXPECT_EQ(NumberText(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(NumberText(2.0 / 3.0 * 10), "6.66666666666667");
    EXPECT_EQ(NumberText(0.0001), "0.0001");
    EXPECT_EQ(NumberText(0.00001), "1E-5");
    EXPECT_EQ(NumberText(123456789012345.0), "123456789012345");
    EXPECT_EQ(NumberText(1e15), "1E15");
    const double rightAngle = 90 * 0.005555555555555556 * 3.141592653589793;
    EXPECT_EQ(NumberText(5 * std::cos(rightAngle)), "3.06161699786838E-16");
    EXPECT_EQ(NumberText(std::sqrt(1.5)), "1.22474487139159");
    EXPECT_EQ(NumberText(std::sqrt(0.5)), "0.707106781186548");
}

TEST(NumberText, ZeroSignAndSpecialValues) {
    EXPECT_EQ(NumberText(0.0), "0");
    EXPECT_EQ(NumberText(-0.0), "0");
    EXPECT_EQ(NumberText(-45), "-45");
    EXPECT_EQ(NumberText(-1e-5), "-1E-5");
    EXPECT_EQ(NumberText(-1e15), "-1E15");
    EXPECT_EQ(NumberText(1.5e300), "1.5E300");
    EXPECT_EQ(NumberText(4.9406564584124654e-324), "4.94065645841247E-324");
}

// Fifteen digits of the largest doubles round beyond the range of a double, where no
// reader takes them back: those keep the digits that read back, the rest keep fifteen.
// Whatever is written reads back as a double that is written as the same text again.
TEST(NumberText, TheLargestDoublesReadBackAsWritten) {
    const double largest = std::numeric_limits<double>::max();
    struct Case {
        double value;
        const char* text;  // "" where only the reading back is checked
    };
    const Case cases[] = {
        {largest, "1.7976931348623157E308"},
        {-largest, "-1.7976931348623157E308"},
        {std::nextafter(largest, 0.0), "1.7976931348623155E308"},
        {1.79769313486231E308, "1.79769313486231E308"},
        {1.7976931348623149E308, "1.79769313486231E308"},
        {1.797693134862315E308, ""},
        {1e308, "1E308"},
    };
    for (const Case& c : cases) {
        const std::string text = NumberText(c.value);
        SCOPED_TRACE(text);
        if (*c.text) {
            EXPECT_EQ(text, c.text);
        }
        const std::optional<double> back = TryStrToFloat(text);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(NumberText(*back), text);
    }
    // Down from the largest, one double at a time, to where fifteen digits hold again.
    double value = largest;
    for (int i = 0; i < 400; ++i, value = std::nextafter(value, 0.0)) {
        const std::optional<double> back = TryStrToFloat(NumberText(value));
        ASSERT_TRUE(back.has_value()) << NumberText(value);
        ASSERT_EQ(NumberText(*back), NumberText(value));
    }
}

// The fixed range runs from 0.1E-3 (0.0001) to 0.999999999999999E15; rounding to 15
// digits decides on which side a value falls.
TEST(NumberText, ExponentFormExactlyOutsideTheFixedRange) {
    EXPECT_EQ(NumberText(0.00012), "0.00012");
    EXPECT_EQ(NumberText(0.000099999), "9.9999E-5");
    EXPECT_EQ(NumberText(0.00009999999999999999), "0.0001");  // rounds up into the range
    EXPECT_EQ(NumberText(999999999999999.0), "999999999999999");
    EXPECT_EQ(NumberText(999999999999999.4), "999999999999999");
    EXPECT_EQ(NumberText(999999999999999.6), "1E15");  // rounds up out of the range
    EXPECT_EQ(NumberText(100000000000000.0), "100000000000000");
    EXPECT_EQ(NumberText(123456789012345678.0), "1.23456789012346E17");
    EXPECT_EQ(NumberText(1234.5), "1234.5");
    EXPECT_EQ(NumberText(0.001), "0.001");
}

TEST(NumberText, RoundsToFifteenDigitsAndDropsTrailingZeros) {
    EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberText(1.0000000000000002), "1");
    EXPECT_EQ(NumberText(12.2474487139159), "12.2474487139159");
    EXPECT_EQ(NumberText(2.5), "2.5");
    EXPECT_EQ(NumberText(1234567.891011121314), "1234567.89101112");
}

TEST(NumberText, DecimalPointWhateverTheLocale) {
    // The C++ global locale with a comma, and the C locale with a comma where the
    // system has one (Windows always has "German"; Linux only when it is installed).
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale savedCpp = std::locale::global(std::locale(std::locale::classic(), new Comma));
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    bool commaC = false;
    for (const char* name : {"German", "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name) && std::localeconv()->decimal_point[0] == ',') {
            commaC = true;
            break;
        }
    }
    RecordProperty("c_locale_with_comma", commaC ? "yes" : "no");
    const std::string half = NumberText(-0.5);
    const std::string tiny = NumberText(3.25e-7);
    std::setlocale(LC_NUMERIC, savedC.c_str());
    std::locale::global(savedCpp);
    EXPECT_EQ(half, "-0.5");
    EXPECT_EQ(tiny, "3.25E-7");
}

// The value rounded to 15 significant digits, found another way than NumberText
// does: the classic-locale stream in scientific notation, read back.
struct Rounded {
    double value;
    int point;  // the value is 0.d1d2... times ten to this power
};

Rounded RoundTo15(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::scientific;
    out.precision(14);
    out << value;
    const std::string text = out.str();
    double back = 0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    const std::size_t e = text.find('e');
    return {back, std::stoi(text.substr(e + 1)) + 1};
}

int SignificantDigits(const std::string& text) {
    const std::size_t end = text.find('E');
    const std::string mantissa = text.substr(0, end);
    std::string digits;
    for (char c : mantissa) {
        if (c >= '0' && c <= '9') digits += c;
    }
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? 0 : static_cast<int>(digits.size() - first);
}

TEST(NumberText, PropertyOverRandomDoubles) {
    const std::regex fixed(R"(-?(0|[1-9][0-9]*)(\.[0-9]*[1-9])?)");
    const std::regex exponent(R"(-?[1-9](\.[0-9]*[1-9])?E-?[1-9][0-9]*)");
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> power(-30, 30);
    std::uniform_int_distribution<int> digits(1, 17);
    int exponentForms = 0;
    int fixedForms = 0;
    for (int i = 0; i < 200000; ++i) {
        double value = 0;
        switch (i % 3) {
        case 0:  // any magnitude the drawing might meet, full precision
            value = mantissa(random) * std::pow(10.0, power(random));
            break;
        case 1: {  // a few digits, so that zeros are dropped and 0/9 runs carry
            const double scale = std::pow(10.0, digits(random) - 1);
            value = std::round(mantissa(random) * scale) / scale * std::pow(10.0, power(random));
            break;
        }
        default: {  // any finite bit pattern
            const std::uint64_t bits = random();
            std::memcpy(&value, &bits, sizeof value);
            if (!std::isfinite(value)) continue;
        }
        }
        if (random() & 1) value = -value;
        const std::string text = NumberText(value);
        SCOPED_TRACE(text);
        const Rounded rounded = RoundTo15(value);
        ASSERT_LE(SignificantDigits(text), 15);
        const std::optional<double> back = TryStrToFloat(text);
        ASSERT_TRUE(back.has_value());
        ASSERT_EQ(*back, rounded.value);
        if (value == 0) continue;
        const bool inFixedRange = rounded.point >= -3 && rounded.point <= 15;
        if (inFixedRange) {
            ++fixedForms;
            ASSERT_TRUE(std::regex_match(text, fixed));
        } else {
            ++exponentForms;
            ASSERT_TRUE(std::regex_match(text, exponent));
        }
    }
    // Both forms were met in earnest.
    EXPECT_GT(fixedForms, 30000);
    EXPECT_GT(exponentForms, 30000);
}

// Around every power of ten the form switches where the decimal exponent leaves
// -3..15, and nowhere else.
TEST(NumberText, PowersOfTenAndTheirNeighbours) {
    for (int k = -12; k <= 22; ++k) {
        const double power = std::pow(10.0, k);
        for (double value : {power, std::nextafter(power, 0.0), power * (1 - 1e-14), power * (1 + 1e-14)}) {
            const std::string text = NumberText(value);
            const Rounded rounded = RoundTo15(value);
            SCOPED_TRACE(text);
            EXPECT_EQ(text.find('E') != std::string::npos, rounded.point < -3 || rounded.point > 15);
            EXPECT_EQ(TryStrToFloat(text).value_or(-1), rounded.value);
        }
    }
}

// A limit shown in a message is rounded down to what a drafter writes, and the number
// shown, typed back, is accepted (below the limit).
TEST(NumberTextBelow, LimitsAsADrafterWritesThem) {
    struct Row {
        double limit;
        const char* shown;
    };
    const Row rows[] = {
        {2 * 35 / std::sqrt(4.5), "32.998"},      // the bend's limit for a radius of 35
        {2 * 20 / std::sqrt(4.5), "18.856"},      // and for 20
        {10.5, "10.499"},                         // on a step: one step down
        {33.0, "32.999"},
        {0.1, "0.099"},
        {1234.5678901234567, "1234.567"},
        {0.012345678901234567, "0.0123"},         // small: three significant digits
        {3.0000000000000004, "3"},                // just above a whole number: no decimals left over
        {0.0, "0"},                               // nothing to round: the limit as it is
        {-5.25, "-5.25"},
        {1e16, "1E16"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(NumberText(row.limit));
        EXPECT_EQ(NumberTextBelow(row.limit), row.shown);
    }
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> exponent(-6, 11);
    for (int i = 0; i < 20000; ++i) {
        const double limit = std::pow(10.0, exponent(random));
        const std::string text = NumberTextBelow(limit);
        SCOPED_TRACE(NumberText(limit) + " shown as " + text);
        const std::optional<double> shown = TryStrToFloat(text);
        ASSERT_TRUE(shown);
        ASSERT_LT(*shown, limit);
        ASSERT_LE(limit - *shown, 2 * std::max(0.001, limit / 100));
        ASSERT_EQ(text.find('E'), std::string::npos);
    }
}

}  // namespace
}  // namespace tessavue
