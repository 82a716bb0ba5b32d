// The one way a number becomes text, whether it goes into a DXF file or is typed on
// AutoCAD's command line: general format with at most 15 significant digits, "."
// as the decimal point whatever the locale, fixed notation for a decimal exponent
// from -3 to 15 (0.0001 up to 999999999999999) and the short exponent form
// ("1E-5", "1E15", "3.06161699786838E-16") outside it. A value whose fifteen digits
// would round beyond the largest double (1.79769313486232E308) keeps the digits
// that read back to it: any finite value's text reads back as a finite double, and that
// double is written as the same text again.
#pragma once

#include <cstddef>
#include <string>

namespace tessavue {

std::string NumberText(double value);

// The same text written to `out`, which holds at least kNumberTextMax characters; its
// length. For writers of large files: no string per number.
inline constexpr std::size_t kNumberTextMax = 32;
std::size_t WriteNumberText(double value, char* out);

// A limit a value must stay below, as a drafter writes it in a message: three decimals
// (more below 0.1, enough for three significant digits), trailing zeros dropped,
// rounded down so that the number shown, typed back into the field, is itself below
// the limit ("32.998" for 32.9983164553722, "10.499" for 10.5). A limit this cannot
// show (not above zero, not finite, or from 1E12 up) is given by NumberText.
std::string NumberTextBelow(double limit);

}  // namespace tessavue
