#include "dxf_data/str_to_float.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <system_error>

namespace tessavue {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a well-formed unsigned number that a double cannot hold lies below 1
// (underflow) rather than above (overflow): compares the position of its first
// significant digit with the exponent.
bool BelowOne(std::string_view number) {
    long long position = 0;  // decimal places of the first significant digit, 1 = units
    bool seenPoint = false;
    bool found = false;
    long long leading = 0;
    std::size_t i = 0;
    for (; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
        const char c = number[i];
        if (c == '.') {
            seenPoint = true;
            continue;
        }
        if (!found && c != '0') {
            found = true;
            position = seenPoint ? -leading : 0;
        }
        if (found && !seenPoint) ++position;
        if (!found && seenPoint) ++leading;
    }
    if (!found) return true;  // all zeros
    long long exponent = 0;
    if (i < number.size()) {
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
        for (; i < number.size(); ++i) {
            if (exponent < 100000000) exponent = exponent * 10 + (number[i] - '0');
        }
        if (negative) exponent = -exponent;
    }
    return position + exponent <= 0;
}

}  // namespace

ConvertError::ConvertError(const std::string& text)
    : std::runtime_error("'" + text + "' は浮動小数点数ではありません"), text_(text) {}

std::optional<double> TryStrToFloat(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;

    // Check the whole grammar first: from_chars would stop quietly at the first
    // character it does not like, and would take "inf", "nan" and hex forms.
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t numberStart = i;
    std::size_t digits = 0;
    while (i < end && IsDigit(text[i])) ++i, ++digits;
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t expDigits = 0;
        while (i < end && IsDigit(text[i])) ++i, ++expDigits;
        if (expDigits == 0) return std::nullopt;
    }
    if (i != end) return std::nullopt;

    // from_chars takes no leading '+', and is independent of the C locale. A number
    // that starts at its point gets a "0" in front, on the stack while it is short: the
    // figure rewrite reads every coordinate of large files through here.
    std::string_view number = text.substr(numberStart, end - numberStart);
    char buffer[64];
    std::string longNumber;
    if (number.front() == '.') {
        if (number.size() < sizeof buffer) {
            buffer[0] = '0';
            number.copy(buffer + 1, number.size());
            number = std::string_view(buffer, number.size() + 1);
        } else {
            longNumber = "0" + std::string(number);
            number = longNumber;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small rounds to zero as a user would expect; too large is no number.
        if (!BelowOne(number)) return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc() || ptr != number.data() + number.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

double StrToFloat(const std::string& text) {
    if (auto value = TryStrToFloat(text)) return *value;
    throw ConvertError(text);
}

}  // namespace tessavue
