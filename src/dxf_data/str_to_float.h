// Reading a number typed into the palette. Users type plain decimal numbers; the
// conversion accepts what they type whatever the Windows locale says about the
// decimal point, and refuses everything else with the runtime's conversion error.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessavue {

// The error a text that is no number raises. Its message names the text, as the
// application's error box shows it: "'abc' は浮動小数点数ではありません".
class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string& text);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// The number in `text`: blanks around it allowed, an optional sign, digits with an
// optional "." fraction (at least one digit in all), an optional exponent (E or e,
// optional sign, digits). No thousands separators, hexadecimal, infinity or NaN; a
// value too large for a double is no number either.
std::optional<double> TryStrToFloat(std::string_view text);

// As TryStrToFloat, but a text that is no number raises ConvertError.
double StrToFloat(const std::string& text);

}  // namespace tessavue
