#pragma once

#include <string>

namespace nollard {

// A finite double as decimal digits: value = 0.d1d2d3... * 10^exponent, d1
// non-zero (no digits for zero).
struct DecimalDigits
{
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// The value's decimal expansion to 18 significant digits.
DecimalDigits DecimalExpansion18(double value);

// Keeps the first `keep` digits, rounding half away from zero on the next
// digit (a carry may add a leading 1 and raise the exponent). keep <= 0 rounds
// at or above the first digit; a result of zero has no digits.
void RoundDigits(DecimalDigits &d, int keep);

}  // namespace nollard
