#include "number_literal.h"

#include "errors.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <string>

// The value is read into long double first and then rounded to double, as the
// operation routines do. With g++ on x86-64 long double has a 64-bit mantissa;
// where long double is plain double (MSVC, some ARM targets) the literal is
// read directly into double, which differs only in rare double-rounding cases.

namespace nollard {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal exponent so large that the exact value no longer matters.
constexpr std::int64_t kExponentCap = 1'000'000'000'000LL;

// Largest value that still rounds to a finite double: 2^1024 - 2^970.
constexpr long double kDoubleOverflowThreshold = 0x1.fffffffffffffcp1023L;

struct Shape
{
    bool negative = false;
    std::string_view intDigits;
    std::string_view fracDigits;
    std::int64_t exponent = 0;
};

bool parseShape(std::string_view t, char point, Shape &shape)
{
    std::size_t i = 0;
    const std::size_t n = t.size();
    if (i < n && (t[i] == '+' || t[i] == '-')) {
        shape.negative = t[i] == '-';
        ++i;
    }
    if (i == n)
        return false;  // empty, or a sign alone
    std::size_t start = i;
    while (i < n && isDigit(t[i]))
        ++i;
    shape.intDigits = t.substr(start, i - start);
    if (i < n && t[i] == point) {
        ++i;
        start = i;
        while (i < n && isDigit(t[i]))
            ++i;
        shape.fracDigits = t.substr(start, i - start);
    }
    if (i < n && t[i] == 'E') {
        ++i;
        bool expNegative = false;
        if (i < n && (t[i] == '+' || t[i] == '-')) {
            expNegative = t[i] == '-';
            ++i;
        }
        if (i == n || !isDigit(t[i]))
            return false;
        std::int64_t e = 0;
        while (i < n && isDigit(t[i])) {
            if (e < kExponentCap)
                e = e * 10 + (t[i] - '0');
            ++i;
        }
        shape.exponent = expNegative ? -e : e;
    }
    return i == n;
}

double roundToDouble(long double v)
{
    if (v >= kDoubleOverflowThreshold || v <= -kDoubleOverflowThreshold)
        throw EFloatOverflow();
    // A literal read just below the threshold can still round up to it on
    // the way to double (a tie goes to the even neighbour, 2^1024): such a
    // literal does not fit either.
    const double d = static_cast<double>(v);
    if (std::isinf(d))
        throw EFloatOverflow();
    return d;
}

long double powerOfTen(int k)  // exact for 0 <= k <= 27
{
    long double p = 1.0L;
    for (int i = 0; i < k; ++i)
        p *= 10.0L;
    return p;
}

double valueOf(const Shape &s, bool needValue)
{
    // Significant digits: the digit runs without the leading zeros.
    std::size_t lead = 0;
    const std::size_t intLen = s.intDigits.size();
    const std::size_t total = intLen + s.fracDigits.size();
    auto digitAt = [&](std::size_t k) { return k < intLen ? s.intDigits[k] : s.fracDigits[k - intLen]; };
    while (lead < total && digitAt(lead) == '0')
        ++lead;
    if (lead == total)
        return s.negative ? -0.0 : 0.0;

    // Value = 0.d1d2d3... * 10^(magnitude + 1), with d1 the first non-zero digit.
    const std::int64_t magnitude = static_cast<std::int64_t>(intLen) - static_cast<std::int64_t>(lead) - 1 + s.exponent;
    if (magnitude > 400)
        throw EFloatOverflow();
    if (magnitude < -400)
        return s.negative ? -0.0 : 0.0;
    if (!needValue && magnitude < 300)
        return 0.0;  // certainly within range; the caller wants the shape only

    const std::size_t sigCount = total - lead;
    // Fast path: up to 19 significant digits scaled by at most 10^27 are one
    // correctly rounded long double operation, the same as reading the text.
    if (sigCount <= 19) {
        std::uint64_t mantissa = 0;
        for (std::size_t k = lead; k < total; ++k)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(digitAt(k) - '0');
        const std::int64_t scale = magnitude + 1 - static_cast<std::int64_t>(sigCount);
        if (scale >= -27 && scale <= 27) {
            long double v = static_cast<long double>(mantissa);
            v = scale >= 0 ? v * powerOfTen(static_cast<int>(scale)) : v / powerOfTen(static_cast<int>(-scale));
            return roundToDouble(s.negative ? -v : v);
        }
    }
    std::string buf;
    buf.reserve(sigCount + 32);
    if (s.negative)
        buf += '-';
    buf += "0.";
    for (std::size_t k = lead; k < total; ++k)
        buf += digitAt(k);
    buf += 'e';
    buf += std::to_string(magnitude + 1);
    long double v = 0.0L;
    const auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        throw EFloatOverflow();  // magnitude is within +-400, so this is never an underflow
    return roundToDouble(v);
}

}  // namespace

bool ReadNumberLiteral(std::string_view text, bool pascalFormat, double *value)
{
    if (text == "PI" || text == "-PI") {
        if (value)
            *value = text[0] == '-' ? -kPi : kPi;
        return true;
    }
    char point = '.';
    if (!pascalFormat) {
        const char *dp = std::localeconv()->decimal_point;
        if (dp && *dp)
            point = *dp;
    }
    Shape shape;
    if (!parseShape(text, point, shape))
        return false;
    const double v = valueOf(shape, value != nullptr);
    if (value)
        *value = v;
    return true;
}

}  // namespace nollard
