#include "extended_math.h"

#include "errors.h"

#include <cmath>

namespace nollard {
namespace {

constexpr double kTwoPow63 = 9223372036854775808.0;

}  // namespace

double StoreRoundedSlow(long double r, double a, double b)
{
    if (std::isnan(r)) {
        if (std::isnan(a) || std::isnan(b))
            return static_cast<double>(r);
        throw EFloatInvalidOperation();
    }
    if (r >= kDoubleOverflowThreshold || r <= -kDoubleOverflowThreshold) {
        if (std::isinf(r) && (std::isinf(a) || std::isinf(b)))
            return static_cast<double>(r);
        throw EFloatOverflow();
    }
    return static_cast<double>(r);
}

std::int64_t TruncateToInt64(double v)
{
    if (!(v >= -kTwoPow63 && v < kTwoPow63))
        throw EFloatInvalidOperation();
    return static_cast<std::int64_t>(v);
}

long double IntegerPower(long double base, std::int32_t n)
{
    if (n == 0)
        return 1.0L;
    std::uint32_t bits = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
    long double result = 1.0L;
    long double x = base;
    for (;;) {
        if (bits & 1u)
            result *= x;
        bits >>= 1;
        if (bits == 0)
            break;
        x *= x;
    }
    if (std::isinf(result) && !std::isinf(base))
        throw EFloatOverflow();
    if (n < 0)
        return CheckedDivide(1.0L, result);
    return result;
}

long double GeneralPower(double a, double b)
{
    if (b == 0.0)
        return 1.0L;
    if (a == 0.0 && b > 0.0)
        return 0.0L;
    if (std::trunc(b) == b && std::fabs(b) <= 2147483647.0)
        return IntegerPower(a, static_cast<std::int32_t>(b));
    const long double product = static_cast<long double>(b) * CheckedLn(a);
    const long double r = std::exp(product);
    if (std::isinf(r) && !std::isinf(product))
        throw EFloatOverflow();
    return r;
}

long double CheckedDivide(long double a, long double b)
{
    if (b == 0.0L && !std::isnan(a)) {
        if (a == 0.0L)
            throw EFloatInvalidOperation();
        throw EFloatDivideByZero();
    }
    return a / b;
}

namespace {
void checkLogArgument(long double x)
{
    if (x == 0.0L)
        throw EFloatDivideByZero();
    if (x < 0.0L)
        throw EFloatInvalidOperation();
}
}  // namespace

long double CheckedLn(long double x)
{
    checkLogArgument(x);
    return std::log(x);
}

long double CheckedLog2(long double x)
{
    checkLogArgument(x);
    return std::log2(x);
}

long double CheckedLog10(long double x)
{
    checkLogArgument(x);
    return std::log10(x);
}

}  // namespace nollard
