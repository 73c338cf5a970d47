#include "amount_text.h"

#include "decimal_expansion.h"

#include <cmath>
#include <string>

namespace nollard {
namespace {

constexpr int kAmountPrecision = 10;

std::string nonFinite(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Integer digits, ".", two decimals, from rounded digits.
std::string fixedText(const DecimalDigits &d, bool negative)
{
    std::string out;
    if (negative)
        out += '-';
    auto digitAt = [&](int k) -> char {
        return k >= 0 && k < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(k)] : '0';
    };
    if (d.digits.empty() || d.exponent <= 0) {
        out += '0';
    } else {
        for (int k = 0; k < d.exponent; ++k)
            out += digitAt(k);
    }
    out += '.';
    const int e = d.digits.empty() ? 0 : d.exponent;
    out += digitAt(e);      // first decimal: digit index exponent
    out += digitAt(e + 1);  // second decimal
    return out;
}

// An amount that rounds to zero has no sign: "-0.00" would read as a
// negative total.
std::string withoutNegativeZero(std::string text)
{
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

}  // namespace

std::string AmountText(double value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    DecimalDigits d = DecimalExpansion18(value);
    const bool negative = value < 0;
    RoundDigits(d, std::min(kAmountPrecision, d.exponent + 2));
    if (d.digits.empty() || d.exponent <= kAmountPrecision)
        return withoutNegativeZero(fixedText(d, negative));

    // Too many integer digits for the precision: scientific notation,
    // trailing zeros dropped, e.g. 1.23456789E10.
    std::string out;
    if (negative)
        out += '-';
    out += d.digits[0];
    if (d.digits.size() > 1) {
        out += '.';
        out.append(d.digits, 1, std::string::npos);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
    return out;
}

std::string FixedTwoDecimals(double value)
{
    if (!std::isfinite(value))
        return nonFinite(value);
    DecimalDigits d = DecimalExpansion18(value);
    RoundDigits(d, d.exponent + 2);
    return withoutNegativeZero(fixedText(d, value < 0));
}

}  // namespace nollard
