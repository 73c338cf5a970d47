#pragma once
// Numbers written for people and for the calculation steps: a plain decimal
// with up to 15 significant digits, "." as decimal point, no trailing zeros and
// never an exponent (30 → "30", 12.5 → "12.5", 0.00001 → "0.00001").

#include <QString>

namespace fees {

QString plainNumberText(double value);

// An amount as every grid and field shows it: two decimals, rounded as a fee
// line stores it, never "-0.00" (120 → "120.00", 3.125 → "3.13").
QString moneyText(double value);

}  // namespace fees
