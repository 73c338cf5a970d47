#pragma once

#include <string>

namespace nollard {

// The amount of a fee line as text with two decimals: the value's decimal
// expansion to 18 significant digits rounded half away from zero at the
// second decimal, at most 10 significant digits kept ("." as decimal point).
// 3.125 gives 3.13; 2.675 gives 2.67 (its double is just below 2.675);
// 123456789.126 gives 123456789.10; 10000000000 and above are written in
// scientific notation (1E10). An amount that rounds to zero has no sign
// (-0.001 gives 0.00).
std::string AmountText(double value);

// The same expansion and rounding with no limit on the digits, as the
// format "0.00" writes it: 100000000.5 gives 100000000.50.
std::string FixedTwoDecimals(double value);

}  // namespace nollard
