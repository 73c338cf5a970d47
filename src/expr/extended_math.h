#pragma once

#include <cstdint>

// Arithmetic helpers of the operation routines. Each routine computes in
// long double and rounds once to double when it stores its result.
//
// With g++ on x86-64, long double is the 80-bit type with a 64-bit mantissa.
// On a compiler whose long double is a plain double (MSVC, AArch64 Windows)
// the same code computes in double: intermediate results then round at every
// step, and an intermediate beyond 1.8e308 (e.g. inside a fourth power) reports
// an overflow that extended precision would have absorbed.
//
// Faults are found by explicit operand checks, never by floating-point traps,
// so the results do not depend on the FPU's exception masks.

namespace nollard {

// Largest value that still rounds to a finite double: 2^1024 - 2^970.
inline constexpr long double kDoubleOverflowThreshold = 0x1.fffffffffffffcp1023L;

double StoreRoundedSlow(long double r, double a, double b);

// Rounds r to double, raising EFloatInvalidOperation for a NaN made from
// non-NaN inputs and EFloatOverflow for a value beyond the double range made
// from finite inputs. a and b are the routine's inputs (b = 0 when unary).
inline double StoreRounded(long double r, double a, double b = 0.0)
{
    if (r < kDoubleOverflowThreshold && r > -kDoubleOverflowThreshold) [[likely]]
        return static_cast<double>(r);
    return StoreRoundedSlow(r, a, b);  // NaN, infinity or beyond the range
}

// Truncates toward zero to a 64-bit integer; a value outside its range
// (or NaN) raises EFloatInvalidOperation.
std::int64_t TruncateToInt64(double v);

// base^n by repeated squaring in extended precision; n < 0 gives 1 / base^|n|
// (a zero base then raises EFloatDivideByZero). An intermediate beyond the
// extended range raises EFloatOverflow.
long double IntegerPower(long double base, std::int32_t n);

// General power: 1 for b = 0, 0 for a = 0 and b > 0, the integer power for a
// whole b with |b| <= 2147483647, else e^(b * ln a).
long double GeneralPower(double a, double b);

// Division with the FPU's fault rules: x / 0 raises EFloatDivideByZero,
// 0 / 0 EFloatInvalidOperation.
long double CheckedDivide(long double a, long double b);

// Natural and base-2 / base-10 logarithms: 0 raises EFloatDivideByZero,
// a negative argument EFloatInvalidOperation.
long double CheckedLn(long double x);
long double CheckedLog2(long double x);
long double CheckedLog10(long double x);

inline constexpr long double kPiExtended = 3.14159265358979323846264338327950288L;

}  // namespace nollard
