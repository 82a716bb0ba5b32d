// The number text (NumberText) and the number reading (TryStrToFloat, StrToFloat).
//
// Properties: the text of any finite double reads back to a finite double whose text is
// the same text, within the 15 significant digits the text keeps; a text read as a
// number is finite and is the number the C library's strtod reads from it (the one
// exception: a value too small for a double reads as zero); StrToFloat raises
// ConvertError naming the text exactly when TryStrToFloat refuses it.
#include "fuzz_support.h"

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dxf_data/str_to_float.h"

using namespace tessavue;
using namespace tessavue::fuzz;

namespace {

void CheckText(double value) {
    if (!std::isfinite(value)) return;
    const std::string text = NumberText(value);
    const std::optional<double> back = TryStrToFloat(text);
    FUZZ_CHECK(back.has_value(), "the text '" + text + "' of a finite double reads as no number");
    FUZZ_CHECK(std::isfinite(*back), "the text '" + text + "' reads back as no finite number");
    const std::string again = NumberText(*back);
    FUZZ_CHECK(again == text, "the text '" + text + "' read back is written '" + again + "'");
    // 15 significant digits: within half a unit of the 15th digit, and a little for the
    // rounding of the reading; an overflow's text may stand for the largest double.
    const double error = std::fabs(*back - value);
    FUZZ_CHECK(error <= std::fabs(value) * 5.1e-15 || error == 0,
               "the text '" + text + "' stands " + NumberText(error) + " off its value");
    FUZZ_CHECK(text.find_first_not_of("0123456789.-E") == std::string::npos,
               "the text '" + text + "' holds other characters");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const bool cLocale = std::setlocale(LC_ALL, "C") != nullptr;
    (void)cLocale;
    if (size >= 8) {
        double value = 0;
        std::memcpy(&value, bytes, sizeof value);
        CheckText(value);
        CheckText(-value);
    }
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const std::optional<double> read = TryStrToFloat(text);
    bool raised = false;
    try {
        StrToFloat(text);
    } catch (const ConvertError& error) {
        raised = true;
        FUZZ_CHECK(error.Text() == text, std::string("the error names another text"));
    }
    FUZZ_CHECK(raised != read.has_value(), std::string("StrToFloat and TryStrToFloat disagree"));
    if (!read) return 0;
    FUZZ_CHECK(std::isfinite(*read), "'" + text + "' reads as " + NumberText(*read));
    CheckText(*read);
    // strtod reads the same text (blanks and all) to the same number, unless the text
    // holds a NUL, which the C call cannot see past.
    if (text.find('\0') != std::string::npos) return 0;
    char* end = nullptr;
    const double oracle = std::strtod(text.c_str(), &end);
    std::size_t rest = static_cast<std::size_t>(end - text.c_str());
    while (rest < text.size() && (text[rest] == ' ' || text[rest] == '\t')) ++rest;
    FUZZ_CHECK(rest == text.size(), "strtod stops inside '" + text + "'");
    const bool underflow = std::fabs(oracle) < DBL_MIN && *read == 0;
    FUZZ_CHECK(*read == oracle || underflow,
               "'" + text + "' reads as " + NumberText(*read) + ", strtod gives " + NumberText(oracle));
    return 0;
}
