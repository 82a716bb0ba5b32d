#include "iso/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tessavue {

std::string NumberText(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";  // also for -0: nobody wants to read "-0"

    // to_chars rounds correctly and never looks at the locale, which printf does.
    // Scientific with 14 decimals gives exactly 15 significant digits:
    // "d.dddddddddddddde+XX".
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const std::string printed(buffer, result.ptr);
    const std::size_t e = printed.find('e');

    std::string digits;
    for (std::size_t i = 0; i < e; ++i) {
        if (printed[i] != '.') digits += printed[i];
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    // The value is 0.d1d2d3... times ten to the power `point`.
    const int point = std::stoi(printed.substr(e + 1)) + 1;
    const int count = static_cast<int>(digits.size());

    std::string text = value < 0 ? "-" : "";
    if (point >= -3 && point <= 15) {
        if (point > 0) {
            if (count <= point) {
                text += digits;
                text.append(static_cast<std::size_t>(point - count), '0');
            } else {
                text += digits.substr(0, static_cast<std::size_t>(point));
                text += '.';
                text += digits.substr(static_cast<std::size_t>(point));
            }
        } else {
            text += "0.";
            text.append(static_cast<std::size_t>(-point), '0');
            text += digits;
        }
    } else {
        text += digits[0];
        if (count > 1) {
            text += '.';
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(point - 1);  // "-" only when negative, no "+", no padding
    }
    return text;
}

}  // namespace tessavue
