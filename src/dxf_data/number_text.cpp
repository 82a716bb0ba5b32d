#include "dxf_data/number_text.h"

#include "dxf_data/str_to_float.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

namespace tessavue {
namespace {

// Below this no rounding to fifteen digits can pass the largest double.
constexpr double kNearTheLargest = 1.7976931348623E308;

}  // namespace

std::size_t WriteNumberText(double value, char* out) {
    const auto copy = [out](const char* text) {
        std::size_t n = 0;
        for (; text[n] != '\0'; ++n) out[n] = text[n];
        return n;
    };
    if (std::isnan(value)) return copy("NAN");
    if (std::isinf(value)) return copy(value < 0 ? "-INF" : "INF");
    if (value == 0) return copy("0");  // also for -0: nobody wants to read "-0"

    // to_chars rounds correctly and never looks at the locale, which printf does.
    // Scientific with 14 decimals gives exactly 15 significant digits:
    // "d.dddddddddddddde+XX". Everything below works in fixed buffers: a figure file
    // holds hundreds of thousands of numbers.
    char printed[64];
    auto result = std::to_chars(printed, printed + sizeof printed, std::fabs(value), std::chars_format::scientific, 14);
    // Fifteen digits of a value within half a unit of the largest double round above
    // it: "1.79769313486232E308" is no number to any reader. Such a value is written
    // with the digits that read back to it, and only such a value.
    if (std::fabs(value) > kNearTheLargest) {
        double back = 0;
        if (std::from_chars(printed, result.ptr, back).ec != std::errc())
            result = std::to_chars(printed, printed + sizeof printed, std::fabs(value), std::chars_format::scientific);
    }
    // Fifteen digits come as "d.dddddddddddddd" before the 'e'; the few values near
    // the largest double may bring more.
    const char* e = printed[16] == 'e' ? printed + 16 : std::find(printed, result.ptr, 'e');

    char digits[40];
    int count = 0;
    for (const char* p = printed; p != e; ++p) {
        if (*p != '.') digits[count++] = *p;
    }
    while (count > 1 && digits[count - 1] == '0') --count;
    // The exponent: a sign and two or three digits.
    int exponent = 0;
    for (const char* p = e + 2; p != result.ptr; ++p) exponent = exponent * 10 + (*p - '0');
    if (e[1] == '-') exponent = -exponent;
    // The value is 0.d1d2d3... times ten to the power `point`.
    const int point = exponent + 1;

    int n = 0;
    if (value < 0) out[n++] = '-';
    if (point >= -3 && point <= 15) {
        if (point > 0) {
            if (count <= point) {
                for (int i = 0; i < count; ++i) out[n++] = digits[i];
                for (int i = count; i < point; ++i) out[n++] = '0';
            } else {
                for (int i = 0; i < point; ++i) out[n++] = digits[i];
                out[n++] = '.';
                for (int i = point; i < count; ++i) out[n++] = digits[i];
            }
        } else {
            out[n++] = '0';
            out[n++] = '.';
            for (int i = 0; i < -point; ++i) out[n++] = '0';
            for (int i = 0; i < count; ++i) out[n++] = digits[i];
        }
    } else {
        out[n++] = digits[0];
        if (count > 1) {
            out[n++] = '.';
            for (int i = 1; i < count; ++i) out[n++] = digits[i];
        }
        out[n++] = 'E';
        // "-" only when negative, no "+", no padding
        n = static_cast<int>(std::to_chars(out + n, out + kNumberTextMax, point - 1).ptr - out);
    }
    return static_cast<std::size_t>(n);
}

std::string NumberText(double value) {
    char out[kNumberTextMax];
    return std::string(out, WriteNumberText(value, out));
}

std::string NumberTextBelow(double limit) {
    if (!std::isfinite(limit) || !(limit > 0) || limit >= 1e12) return NumberText(limit);
    int decimals = 3;
    while (decimals < 15 && limit * std::pow(10.0, decimals) < 100) ++decimals;
    const double scale = std::pow(10.0, decimals);
    // Whole steps of the last decimal; one or two steps down at most, where the limit
    // lies on a step or the division rounds up.
    for (double steps = std::floor(limit * scale); steps > 0; steps -= 1) {
        char printed[64];
        const auto result =
            std::to_chars(printed, printed + sizeof printed, steps / scale, std::chars_format::fixed, decimals);
        std::string text(printed, result.ptr);
        if (text.find('.') != std::string::npos) {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.') text.pop_back();
        }
        const std::optional<double> shown = TryStrToFloat(text);
        if (shown && *shown < limit) return text;
    }
    return NumberText(limit);
}

}  // namespace tessavue
