#pragma once

#include <string_view>

namespace nollard {

// Reads a number literal of an (upper-case) expression text: "PI", "-PI", or
// an optional sign, digits, optionally a decimal point and digits, optionally
// E with an optional sign and at least one digit, either digit run possibly
// empty (so "." and "E5" are 0). With pascalFormat the decimal point is ".";
// otherwise it is the decimal point of the current C locale.
//
// Returns false when the text does not have that shape. Otherwise stores the
// value in *value (when value is not null): the digits are read into extended
// precision and rounded once to double. A literal beyond the double range
// throws EFloatOverflow; one below it reads as zero.
bool ReadNumberLiteral(std::string_view text, bool pascalFormat, double *value);

// 3.141592653589793, the value of the literal PI.
inline constexpr double kPi = 3.141592653589793;

}  // namespace nollard
