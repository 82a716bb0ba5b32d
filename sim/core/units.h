// Lengths and coordinates as AutoCAD shows them: in the drawing's linear unit format
// (LUNITS) at its precision (LUPREC). One routine, so that ID, LASTPOINT and LIST can
// never disagree about how a number looks.
//
//   LUNITS  format         12.5 at LUPREC 4    LUPREC means
//   1       scientific     1.2500E+01          decimals of the mantissa
//   2       decimal        12.5000             decimals
//   3       engineering    1'-0.5000"          decimals of the inches
//   4       architectural  1'-0 1/2"           the fraction's denominator is 2^LUPREC
//   5       fractional     12 1/2              the fraction's denominator is 2^LUPREC
//
// Engineering and architectural take one drawing unit for an inch, as AutoCAD does.
// Fractions are reduced (8/16 shows as 1/2); a value that rounds to zero has no sign.
#pragma once

#include <string>

namespace tessavue::sim {

inline constexpr int kLinearUnitsMin = 1;
inline constexpr int kLinearUnitsMax = 5;
inline constexpr int kDefaultLinearUnits = 2;
// LUPREC and DIMDEC take the same range.
inline constexpr int kPrecisionMin = 0;
inline constexpr int kPrecisionMax = 8;
inline constexpr int kDefaultPrecision = 4;

// `value` in the format `linearUnits` (1..5; anything else is taken as decimal) with
// `precision` (clamped to 0..8).
std::string FormatLength(double value, int linearUnits, int precision);

}  // namespace tessavue::sim
