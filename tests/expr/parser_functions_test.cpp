// The functions and operators of the component, their extended-precision
// results, the pseudo-random sequence and the arithmetic faults.

#include "expression_outcome.h"

#include "expr/parser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

using namespace nollard;

namespace {

long double Eval(TParser &p, const std::string &text)
{
    p.SetExpression(text);
    return p.Value();
}

struct FunctionCase
{
    const char *expression;
    long double expected;  // computed independently in long double, rounded to double
};

const long double kPi = 3.14159265358979323846264338327950288L;

const FunctionCase kFunctionCases[] = {
    {"TAN(1)", std::tan(1.0L)},
    {"SIN(1)", std::sin(1.0L)},
    {"SIN(1E19)", 0.0L},
    {"COS(-1E19)", 0.0L},
    {"COS(1)", std::cos(1.0L)},
    {"SINH(1)", (std::exp(1.0L) - std::exp(-1.0L)) * 0.5L},
    {"COSH(1)", (std::exp(1.0L) + std::exp(-1.0L)) * 0.5L},
    {"ARCTAN(1)", std::atan(1.0L)},
    {"COTAN(1)", std::cos(1.0L) / std::sin(1.0L)},
    {"EXP(1)", std::exp(1.0L)},
    {"LN(2)", std::log(2.0L)},
    {"LOG10(1000)", 3.0L},
    {"LOG2(8)", 3.0L},
    {"SQR(-3)", 9.0L},
    {"SQRT(2)", std::sqrt(2.0L)},
    {"ABS(-2.5)", 2.5L},
    {"TRUNC(-1.5)", -1.0L},
    {"INT(2.9)", 2.0L},
    {"TRUNC(1E300)", 1e300L},
    {"CEIL(-1.5)", -1.0L},
    {"CEIL(1.2)", 2.0L},
    {"FLOOR(-1.5)", -2.0L},
    {"FLOOR(1.7)", 1.0L},
    {"HEAV(0)", 1.0L},
    {"HEAV(-2)", 0.0L},
    {"SIGN(0)", 0.0L},
    {"SIGN(-3)", -1.0L},
    {"ZERO(5)", 1.0L},
    {"ZERO(0)", 0.0L},
    {"ARG(0,0)", -kPi / 2},
    {"ARG(0,1)", kPi / 2},
    {"ARG(-1,0)", kPi},
    {"ARG(1,1)", std::atan(1.0L)},
    {"MAX(1,1)", 1.0L},
    {"MAX(2,1)", 2.0L},
    {"MIN(2,1)", 1.0L},
    {"MIN(1,2)", 1.0L},
    {"POWER(0,0)", 1.0L},
    {"POWER(-2,3)", -8.0L},
    {"POWER(2,0.5)", std::exp(0.5L * std::log(2.0L))},
    {"POWER(0,2.5)", 0.0L},
    {"INTPOWER(2,10)", 1024.0L},
    {"INTPOWER(2,-2)", 0.25L},
    {"INTPOWER(2,4294967298)", 4.0L},  // low 32 bits of the truncated exponent
    {"INTPOWER(2,2.9)", 4.0L},
    {"LOGN(2,8)", 3.0L},
    {"0^0", 1.0L},
    {"2^-2", 0.25L},
    {"2^0.5", std::exp(0.5L * std::log(2.0L))},
    {"3^(2)", 9.0L},
    {"(-2)^3", -8.0L},
    {"(-2)^4", 16.0L},
    {"7MOD-3", 1.0L},
    {"-7MOD3", -1.0L},
    {"7.9DIV2", 3.0L},
    {"-7.9DIV2", -3.0L},
    {"-9223372036854775808DIV-1", 9223372036854775808.0L},
    {"-9223372036854775808MOD-1", 0.0L},
};

class FunctionTable : public ::testing::TestWithParam<FunctionCase>
{};

TEST_P(FunctionTable, ComputesInExtendedPrecisionRoundedOnce)
{
    TParser p;
    const long double v = Eval(p, GetParam().expression);
    EXPECT_EQ(static_cast<double>(v), static_cast<double>(GetParam().expected)) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Functions, FunctionTable, ::testing::ValuesIn(kFunctionCases));

// Finds an x whose quotient by 2/pi, rounded to double, is exactly t.
double AngleWithQuotient(double t)
{
    double x = t * 0.6366197723675814;
    for (int i = 0; i < 64; ++i) {
        const double q = static_cast<double>(static_cast<long double>(x) / 0.6366197723675814L);
        if (q == t)
            return x;
        x = std::nextafter(x, q < t ? 1e9 : -1e9);
    }
    ADD_FAILURE() << "no angle found for " << t;
    return x;
}

TEST(Functions, PhReducesByTwoOverPiAndRoundsHalvesToEven)
{
    TParser p;
    EXPECT_EQ(static_cast<double>(Eval(p, "PH(0)")), 0.0);
    p.X = AngleWithQuotient(2.5);  // nearest even is 2: +0.5 turns
    EXPECT_EQ(static_cast<double>(Eval(p, "PH(X)")), static_cast<double>(0.5L * 6.283185307179586L));
    p.X = AngleWithQuotient(3.5);  // nearest even is 4: -0.5 turns
    EXPECT_EQ(static_cast<double>(Eval(p, "PH(X)")), static_cast<double>(-0.5L * 6.283185307179586L));
}

TEST(Functions, ExtendedIntermediatesAvoidDoubleOverflow)
{
    TParser p;
    // e^710 is beyond the double range, half of it is not.
    const long double e710 = std::exp(710.0L);
    EXPECT_EQ(static_cast<double>(Eval(p, "SINH(710)")), static_cast<double>((e710 - std::exp(-710.0L)) * 0.5L));
    EXPECT_EQ(static_cast<double>(Eval(p, "COSH(-710)")), static_cast<double>((e710 + std::exp(-710.0L)) * 0.5L));
    EXPECT_THROW(Eval(p, "1E200*1E200"), EFloatOverflow);
}

// Each draw r_k is state_k / 2^32 exactly, so the next draw follows from it.
TEST(Random, DrawsFollowTheProcessWideGenerator)
{
    TParser p;
    auto follows = [](double r) {
        const auto state = static_cast<std::uint32_t>(r * 4294967296.0);
        return static_cast<double>(static_cast<std::uint32_t>(state * 134775813u + 1u)) / 4294967296.0;
    };
    p.SetExpression("RANDOM(0)");
    double previous = static_cast<double>(p.Value());
    for (int i = 0; i < 5; ++i) {
        const double r = static_cast<double>(p.Value());
        EXPECT_EQ(r, follows(previous));
        EXPECT_GE(r, 0.0);
        EXPECT_LT(r, 1.0);
        previous = r;
    }
    // Another component draws from the same sequence; every occurrence draws
    // once per read, and literal arguments do not make a call constant.
    TParser other;
    other.SetExpression("RANDOM(1)*0+RANDOM(2)");
    const double second = static_cast<double>(other.Value());
    EXPECT_EQ(second, follows(follows(previous)));
    // RND scales the draw by the truncated argument.
    other.SetExpression("RND(10.9)");
    EXPECT_EQ(static_cast<double>(other.Value()), 10.0 * follows(second));
}

struct FaultCase
{
    const char *expression;
    const char *outcome;
};

const char *const kDivZero = "ERROR EFloatDivideByZero Floating point division by zero";
const char *const kInvalid = "ERROR EFloatInvalidOperation Invalid floating point operation";
const char *const kOverflow = "ERROR EFloatOverflow Floating point overflow";
const char *const kIntZero = "ERROR EIntegerDivideByZero Division by zero";

const FaultCase kFaults[] = {
    {"1/0", kDivZero},
    {"-1/0", kDivZero},
    {"COTAN(0)", kDivZero},
    {"LN(0)", kDivZero},
    {"LOG10(0)", kDivZero},
    {"LOG2(0)", kDivZero},
    {"LOGN(2,0)", kDivZero},
    {"LOGN(1,2)", kDivZero},
    {"0^-1", kDivZero},
    {"INTPOWER(0,-2)", kDivZero},
    {"POWER(0,-0.5)", kDivZero},
    {"0/0", kInvalid},
    {"SQRT(-1)", kInvalid},
    {"LN(-1)", kInvalid},
    {"LOG10(-1)", kInvalid},
    {"LOGN(-2,8)", kInvalid},
    {"LOGN(1,1)", kInvalid},
    {"POWER(-8,1/3)", kInvalid},
    {"(-8)^0.5", kInvalid},
    {"1E19DIV2", kInvalid},
    {"5MOD-1E19", kInvalid},
    {"INTPOWER(2,1E19)", kInvalid},
    {"1E308*10", kOverflow},
    {"1E308+1E308", kOverflow},
    {"-1E308-1E308", kOverflow},
    {"1E300^2", kOverflow},
    {"10^400", kOverflow},
    {"INTPOWER(10,100000)", kOverflow},
    {"EXP(1000)", kOverflow},
    {"SINH(-1000)", kOverflow},
    {"COSH(20000)", kOverflow},
    {"SQR(1E200)", kOverflow},
    {"1E300/1E-300", kOverflow},
    {"PH(1.5E308)", kOverflow},
    {"5DIV0", kIntZero},
    {"5MOD0.5", kIntZero},
    {"1E-320/1E10", "VALUE 0 0.00"},  // underflow is not reported
};

class FaultTable : public ::testing::TestWithParam<FaultCase>
{};

TEST_P(FaultTable, RaisesThePlatformMessage)
{
    EXPECT_EQ(Outcome(GetParam().expression), GetParam().outcome) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultTable, ::testing::ValuesIn(kFaults));

}  // namespace
