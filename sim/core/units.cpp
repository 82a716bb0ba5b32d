#include "units.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace tessavue::sim {
namespace {

// Beyond this the whole inches of a value no longer fit an integer exactly; such a
// value is shown in decimal rather than with feet that are wrong.
constexpr double kLargestWhole = 1e15;

std::string Fixed(double value, int decimals) {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

bool AllZero(const std::string& digits) { return digits.find_first_not_of("-0.") == std::string::npos; }

std::string Decimal(double value, int precision) {
    std::string text = Fixed(value, precision);
    if (text.front() == '-' && AllZero(text)) text.erase(0, 1);
    return text;
}

// The C library writes the exponent with two or three digits depending on the
// runtime; AutoCAD always writes a sign and at least two.
std::string Scientific(double value, int precision) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", precision, value);
    std::string text = buffer;
    const auto e = text.find('E');
    if (e == std::string::npos) return text;
    std::string mantissa = text.substr(0, e);
    const int exponent = std::atoi(text.c_str() + e + 1);
    if (mantissa.front() == '-' && AllZero(mantissa)) mantissa.erase(0, 1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return mantissa + tail;
}

// Feet and decimal inches. The inches are rounded as decimal text first, so that
// 23.99999 becomes 2'-0.0000" and never 1'-12.0000".
std::string Engineering(double value, int precision) {
    const double magnitude = std::abs(value);
    if (!(magnitude < kLargestWhole)) return Decimal(value, precision);
    const std::string rounded = Fixed(magnitude, precision);
    const auto point = rounded.find('.');
    const std::string whole = rounded.substr(0, point);
    const std::string fraction = point == std::string::npos ? std::string() : rounded.substr(point);
    unsigned long long inches = 0;
    std::from_chars(whole.data(), whole.data() + whole.size(), inches);
    const std::string sign = value < 0 && !AllZero(rounded) ? "-" : "";
    return sign + std::to_string(inches / 12) + "'-" + std::to_string(inches % 12) + fraction + "\"";
}

struct Fraction {
    unsigned long long whole = 0;
    unsigned long long numerator = 0;
    unsigned long long denominator = 1;
};

// |value| to the nearest 1 / 2^precision, the fraction reduced.
Fraction ToFraction(double magnitude, int precision) {
    const unsigned long long denominator = 1ull << precision;
    // A power of two scales exactly, so only the one rounding happens.
    const auto steps = static_cast<unsigned long long>(std::llround(magnitude * static_cast<double>(denominator)));
    Fraction f{steps / denominator, steps % denominator, denominator};
    if (f.numerator != 0) {
        const unsigned long long common = std::gcd(f.numerator, f.denominator);
        f.numerator /= common;
        f.denominator /= common;
    }
    return f;
}

std::string FractionText(const Fraction& f) {
    return std::to_string(f.numerator) + "/" + std::to_string(f.denominator);
}

std::string Architectural(double value, int precision) {
    const double magnitude = std::abs(value);
    if (!(magnitude < kLargestWhole)) return Decimal(value, precision);
    const Fraction f = ToFraction(magnitude, precision);
    std::string text = std::to_string(f.whole / 12) + "'-" + std::to_string(f.whole % 12);
    if (f.numerator != 0) text += " " + FractionText(f);
    text += "\"";
    const bool zero = f.whole == 0 && f.numerator == 0;
    return (value < 0 && !zero ? "-" : "") + text;
}

std::string Fractional(double value, int precision) {
    const double magnitude = std::abs(value);
    if (!(magnitude < kLargestWhole)) return Decimal(value, precision);
    const Fraction f = ToFraction(magnitude, precision);
    std::string text;
    if (f.numerator == 0) {
        text = std::to_string(f.whole);
    } else if (f.whole == 0) {
        text = FractionText(f);
    } else {
        text = std::to_string(f.whole) + " " + FractionText(f);
    }
    const bool zero = f.whole == 0 && f.numerator == 0;
    return (value < 0 && !zero ? "-" : "") + text;
}

}  // namespace

std::string FormatLength(double value, int linearUnits, int precision) {
    precision = std::clamp(precision, kPrecisionMin, kPrecisionMax);
    switch (linearUnits) {
        case 1: return Scientific(value, precision);
        case 3: return Engineering(value, precision);
        case 4: return Architectural(value, precision);
        case 5: return Fractional(value, precision);
        default: return Decimal(value, precision);
    }
}

}  // namespace tessavue::sim
