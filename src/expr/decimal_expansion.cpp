#include "decimal_expansion.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace nollard {

DecimalDigits DecimalExpansion18(double value)
{
    DecimalDigits d;
    d.negative = std::signbit(value);
    if (value == 0.0)
        return d;
    // d.ddddddddddddddddde[+-]xxx, 18 significant digits, correctly rounded.
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
    const std::string text(buf, r.ptr);
    const std::size_t e = text.find('e');
    d.digits = text.substr(0, 1) + text.substr(2, e - 2);
    d.exponent = std::atoi(text.c_str() + e + 1) + 1;
    return d;
}

void RoundDigits(DecimalDigits &d, int keep)
{
    if (d.digits.empty() || keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

}  // namespace nollard
