// The one way a number becomes text, whether it goes into a DXF file or is typed on
// AutoCAD's command line: general format with at most 15 significant digits, "."
// as the decimal point whatever the locale, fixed notation for a decimal exponent
// from -3 to 15 (0.0001 up to 999999999999999) and the short exponent form
// ("1E-5", "1E15", "3.06161699786838E-16") outside it.
#pragma once

#include <string>

namespace tessavue {

std::string NumberText(double value);

}  // namespace tessavue
