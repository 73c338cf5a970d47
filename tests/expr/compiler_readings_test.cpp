// How the compiler reads calculation steps: precedence, signs, numbers,
// keyword operators, calls, brackets and blanks, each checked through the
// value it yields and, where the reading is the point, the operation kinds.

#include "expression_outcome.h"

#include "expr/compile_expression.h"
#include "expr/parser.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Case
{
    const char *expression;
    const char *outcome;
};

// Values with all variables 0, as every expression of the program reads them.
const Case kValueCases[] = {
    // precedence and associativity
    {"1+2*3", "VALUE 7 7.00"},
    {"2*(3+4)*5", "VALUE 70 70.00"},
    {"10-4-3", "VALUE 3 3.00"},
    {"1-2+3", "VALUE 2 2.00"},
    {"12/4/3", "VALUE 1 1.00"},
    {"9MOD4MOD3", "VALUE 1 1.00"},
    {"7DIV2/2", "VALUE 1.5 1.50"},
    {"3*7MOD4", "VALUE 9 9.00"},
    {"20DIV3*2", "VALUE 12 12.00"},
    {"8/2DIV3", "VALUE 1 1.00"},
    {"7DIV2DIV2", "VALUE 1 1.00"},
    {"(2^3)^2", "VALUE 64 64.00"},
    {"1.5*3+20*2-10/4", "VALUE 42 42.00"},
    // signs
    {"-(2)*3", "VALUE -6 -6.00"},
    {"5+-3", "VALUE 2 2.00"},
    {"1--1", "VALUE 2 2.00"},
    {"-(-(-1))", "VALUE -1 -1.00"},
    {"5+(-X)", "VALUE 5 5.00"},
    {"-2^2", "VALUE -4 -4.00"},
    {"+5", "VALUE 5 5.00"},
    {"-PI", "VALUE -3.1415926535897931 -3.14"},
    // numbers
    {"E5", "VALUE 0 0.00"},
    {".", "VALUE 0 0.00"},
    {".5", "VALUE 0.5 0.50"},
    {"5.", "VALUE 5 5.00"},
    {"2*1E+5", "VALUE 200000 200000.00"},
    {"1e-2*3", "VALUE 0.029999999999999999 0.03"},
    {"1E-400", "VALUE 0 0.00"},
    {"0.1", "VALUE 0.10000000000000001 0.10"},
    {"123456789012345678901234567890", "VALUE 1.2345678901234568e+29 1.23456789E29"},
    // keyword operators and calls, lower case
    {"7div2", "VALUE 3 3.00"},
    {"7mod2", "VALUE 1 1.00"},
    {"max(1,2)*3", "VALUE 6 6.00"},
    {"MAX(MIN(1,2),3)", "VALUE 3 3.00"},
    {"Sqrt(16)+1", "VALUE 5 5.00"},
    {"pi^2", "VALUE 9.869604401089358 9.87"},
    // brackets and blanks
    {"((1+2))", "VALUE 3 3.00"},
    {"((((7))))", "VALUE 7 7.00"},
    {"  3  ", "VALUE 3 3.00"},
    {"", "VALUE 0 0.00"},
    // fee-line amounts
    {"30*4", "VALUE 120 120.00"},
    {"12.5*0.25", "VALUE 3.125 3.13"},
};

class ValueTable : public ::testing::TestWithParam<Case>
{};

TEST_P(ValueTable, ReadsAndEvaluates)
{
    EXPECT_EQ(Outcome(GetParam().expression), GetParam().outcome) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Expressions, ValueTable, ::testing::ValuesIn(kValueCases));

// The reading decides the value: with A=2, B=3, C=4 a/b*c is (a/b)*c while
// a*b/c is a*(b/c), and a+b-c is a+(b-c).
TEST(Readings, ProductAndQuotientGroupAsTheRulesSay)
{
    nollard::TParser p;
    p.A = 2;
    p.B = 3;
    p.C = 4;
    struct
    {
        const char *text;
        long double expected;
    } cases[] = {
        {"A/B*C", (2.0L / 3.0L) * 4.0L},
        {"A*B/C", 2.0L * (3.0L / 4.0L)},
        {"A-B*C", 2.0L - 12.0L},
        {"-A*B", -6.0L},
        {"-A^2", -4.0L},
        {"A^-1", 0.5L},
        {"SIN(-X)", 0.0L},
        {"A+B-C", 1.0L},
    };
    for (const auto &c : cases) {
        p.SetExpression(c.text);
        EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), static_cast<double>(c.expected)) << c.text;
    }
}

std::vector<nollard::OperationKind> Kinds(const char *text)
{
    double x = 0;
    nollard::VariableTable vars;
    vars.add("X", &x);
    nollard::FunctionTable one, two;
    nollard::OperationList list = nollard::CompileExpression(text, vars, one, two, true);
    std::vector<nollard::OperationKind> kinds;
    for (const nollard::OperationRecord *op = list.first(); op; op = op->next)
        kinds.push_back(op->kind);
    return kinds;
}

TEST(Readings, PowerKindFollowsTheLiteralExponent)
{
    using K = nollard::OperationKind;
    EXPECT_EQ(Kinds("2^2"), std::vector<K>{K::opSquare});
    EXPECT_EQ(Kinds("2^2.0"), std::vector<K>{K::opSquare});
    EXPECT_EQ(Kinds("2^3"), std::vector<K>{K::opCube});
    EXPECT_EQ(Kinds("2^4"), std::vector<K>{K::opFourthPower});
    EXPECT_EQ(Kinds("2^-1"), std::vector<K>{K::opIntPower});
    EXPECT_EQ(Kinds("X^0"), std::vector<K>{K::opIntPower});
    EXPECT_EQ(Kinds("2^2147483647"), std::vector<K>{K::opIntPower});
    EXPECT_EQ(Kinds("2^2147483648"), std::vector<K>{K::opRealPower});
    EXPECT_EQ(Kinds("2^0.5"), std::vector<K>{K::opRealPower});
    EXPECT_EQ(Kinds("2^(3)"), std::vector<K>{K::opRealPower});
    EXPECT_EQ(Kinds("2^X"), std::vector<K>{K::opRealPower});
}

TEST(Readings, ListRunsDeepestLevelFirstAndHolderOnlyForALeaf)
{
    using K = nollard::OperationKind;
    EXPECT_EQ(Kinds("30"), std::vector<K>{K::opVariable});
    EXPECT_EQ(Kinds("X"), std::vector<K>{K::opVariable});
    EXPECT_EQ(Kinds("((X))"), std::vector<K>{K::opVariable});
    // 1+2*3-4: the sum is outermost; its right side 2*3-4 is a difference
    // whose left side 2*3 is the deepest operation.
    EXPECT_EQ(Kinds("1+2*3-4"), (std::vector<K>{K::opMultiply, K::opSubtract, K::opAdd}));
    EXPECT_EQ(Kinds("-(X+1)*2"), (std::vector<K>{K::opAdd, K::opNegate, K::opMultiply}));
}

}  // namespace
