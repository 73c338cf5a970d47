#pragma once
// Numbers written for people and for the calculation steps: a plain decimal
// with up to 15 significant digits, "." as decimal point, no trailing zeros and
// never an exponent (30 → "30", 12.5 → "12.5", 0.00001 → "0.00001").

#include <QString>

namespace fees {

QString plainNumberText(double value);

}  // namespace fees
