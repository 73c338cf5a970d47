#include "parser_functions.h"

#include "errors.h"
#include "extended_math.h"
#include "random_generator.h"

#include <cmath>
#include <cstdint>

namespace nollard {
namespace {

using LD = long double;

constexpr LD kTwoPow63 = 9223372036854775808.0L;

// Stores f(x) for a one-argument routine.
template <LD (*F)(double)>
void unary(OperationRecord &op)
{
    const double x = *op.arg1;
    *op.result = StoreRounded(F(x), x);
}

template <LD (*F)(double, double)>
void binary(OperationRecord &op)
{
    const double a = *op.arg1;
    const double b = *op.arg2;
    *op.result = StoreRounded(F(a, b), a, b);
}

LD fTan(double x)
{
    return std::tan(LD(x));
}
LD fSin(double x)
{
    return std::fabs(x) >= kTwoPow63 ? 0.0L : std::sin(LD(x));
}
LD fCos(double x)
{
    return std::fabs(x) >= kTwoPow63 ? 0.0L : std::cos(LD(x));
}

// e^x for sinh and cosh: an exponential beyond the extended range is an overflow.
LD checkedExp(LD x)
{
    const LD e = std::exp(x);
    if (std::isinf(e) && !std::isinf(x))
        throw EFloatOverflow();
    return e;
}

LD fSinh(double x)
{
    return (checkedExp(x) - checkedExp(-LD(x))) * 0.5L;
}
LD fCosh(double x)
{
    return (checkedExp(x) + checkedExp(-LD(x))) * 0.5L;
}
LD fArctan(double x)
{
    return std::atan(LD(x));
}
LD fCotan(double x)
{
    return CheckedDivide(std::cos(LD(x)), std::sin(LD(x)));
}
LD fExp(double x)
{
    return std::exp(LD(x));
}
LD fLn(double x)
{
    return CheckedLn(x);
}
LD fLog10(double x)
{
    return CheckedLog10(x);
}
LD fLog2(double x)
{
    return CheckedLog2(x);
}
LD fSqr(double x)
{
    return LD(x) * LD(x);
}

LD fSqrt(double x)
{
    if (x < 0.0)
        throw EFloatInvalidOperation();
    return std::sqrt(LD(x));
}

LD fAbs(double x)
{
    return std::fabs(LD(x));
}
LD fTrunc(double x)
{
    return std::trunc(LD(x));
}

LD fCeil(double x)
{
    const LD t = std::trunc(LD(x));
    return LD(x) - t > 0.0L ? std::trunc(LD(x) + 1.0L) : t;
}

LD fFloor(double x)
{
    const LD t = std::trunc(LD(x));
    return LD(x) - t >= 0.0L ? t : std::trunc(LD(x) - 1.0L);
}

LD fHeav(double x)
{
    return x >= 0.0 ? 1.0L : 0.0L;
}
LD fSign(double x)
{
    return x > 0.0 ? 1.0L : (x < 0.0 ? -1.0L : 0.0L);
}
LD fZero(double x)
{
    return x == 0.0 ? 0.0L : 1.0L;
}

// Reduces an angle: the quotient by 2/pi is rounded to double before the
// nearest whole number (halves to even) is taken off. The two constants are
// read as written, in extended precision.
LD fPh(double x)
{
    const double t = StoreRounded(LD(x) / 0.6366197723675814L, x);
    return (LD(t) - LD(std::nearbyint(t))) * 6.283185307179586L;
}

LD fRnd(double x)
{
    return std::trunc(LD(x)) * LD(NextRandom());
}
LD fRandom(double)
{
    return NextRandom();
}

LD fArg(double x, double y)
{
    if (x < 0.0)
        return std::atan(LD(y) / LD(x)) + kPiExtended;
    if (x > 0.0)
        return std::atan(LD(y) / LD(x));
    return y > 0.0 ? kPiExtended / 2 : -kPiExtended / 2;
}

// MAX and MIN copy the chosen operand unchanged.
void fMax(OperationRecord &op)
{
    *op.result = *op.arg1 < *op.arg2 ? *op.arg2 : *op.arg1;
}
void fMin(OperationRecord &op)
{
    *op.result = *op.arg1 < *op.arg2 ? *op.arg1 : *op.arg2;
}

LD fPower(double a, double b)
{
    return GeneralPower(a, b);
}

LD fIntPower(double a, double b)
{
    const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(TruncateToInt64(b)));
    return IntegerPower(a, n);
}

LD fLogN(double a, double b)
{
    const LD logB = CheckedLog2(b);
    const LD logA = CheckedLog2(a);
    return CheckedDivide(logB, logA);
}

}  // namespace

void RegisterStandardFunctions(FunctionTable &one, FunctionTable &two)
{
    one.add("TAN", unary<fTan>, true);
    one.add("SIN", unary<fSin>, true);
    one.add("COS", unary<fCos>, true);
    one.add("SINH", unary<fSinh>, true);
    one.add("COSH", unary<fCosh>, true);
    one.add("ARCTAN", unary<fArctan>, true);
    one.add("COTAN", unary<fCotan>, true);
    one.add("EXP", unary<fExp>, true);
    one.add("LN", unary<fLn>, true);
    one.add("LOG10", unary<fLog10>, true);
    one.add("LOG2", unary<fLog2>, true);
    one.add("SQR", unary<fSqr>, true);
    one.add("SQRT", unary<fSqrt>, true);
    one.add("ABS", unary<fAbs>, true);
    one.add("TRUNC", unary<fTrunc>, true);
    one.add("INT", unary<fTrunc>, true);
    one.add("CEIL", unary<fCeil>, true);
    one.add("FLOOR", unary<fFloor>, true);
    one.add("HEAV", unary<fHeav>, true);
    one.add("SIGN", unary<fSign>, true);
    one.add("ZERO", unary<fZero>, true);
    one.add("PH", unary<fPh>, true);
    one.add("RND", unary<fRnd>, false);
    one.add("RANDOM", unary<fRandom>, false);

    two.add("ARG", binary<fArg>, true);
    two.add("MAX", fMax, true);
    two.add("MIN", fMin, true);
    two.add("POWER", binary<fPower>, true);
    two.add("INTPOWER", binary<fIntPower>, true);
    two.add("LOGN", binary<fLogN>, true);
}

}  // namespace nollard
