// Texts the compiler rejects: the class and the exact message, including the
// operand texts the syntax error shows, and the order in which faults are found.

#include "expression_outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case
{
    std::string expression;
    std::string outcome;
};

const std::string kSyntax = "ERROR ESyntaxError 错误的表达式:\\r";
const std::string kNestings = "ERROR ETooManyNestings Expression contains too many nestings";
const std::string kComplex = "ERROR EExpressionTooComplex Expression is too complex";

std::string Repeat(const std::string &piece, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string Chain(const char *op, int terms)
{
    std::string out = "1";
    for (int i = 1; i < terms; ++i)
        out += op + std::to_string(i + 1);
    return out;
}

std::string NestedGroups(int groups)
{
    return Repeat("1+(", groups) + "1" + Repeat(")", groups);
}

// A full binary tree of sums, (..)+(..), `depth` operations deep: level k holds 2^(k-1) sums.
std::string SumTree(int depth)
{
    if (depth == 0)
        return "1";
    const std::string half = SumTree(depth - 1);
    return "(" + half + ")+(" + half + ")";
}

const Case kCases[] = {
    // blanks and brackets come before any reading
    {"sin x", "ERROR EExpressionHasBlanks Expression has blanks"},
    {"7 DIV 2", "ERROR EExpressionHasBlanks Expression has blanks"},
    {"(1 ", "ERROR EMissMatchingBracket Missing brackets in expression (\")\")"},
    {"1)", "ERROR EMissMatchingBracket Missing brackets in expression (\"(\")"},
    {"2*(3+", "ERROR EMissMatchingBracket Missing brackets in expression (\")\")"},
    {"a b(", "ERROR EExpressionHasBlanks Expression has blanks"},
    // syntax errors: the term's text, or the operand slots last recorded
    {"ABC", kSyntax + "ABC"},
    {"2*A1", kSyntax + "2\\rA1"},
    {"2+", kSyntax + "2+"},
    {"+5+3", kSyntax + "+5+3"},
    {"A+-B", kSyntax + "A+\\rB"},
    {"MAX(1,2,3)", kSyntax + "1,2\\r2,3"},
    {"ARG(1)", kSyntax + "ARG(1)"},
    {"2(3)", kSyntax + "2(3)"},
    {"(1)(2)", kSyntax + "(1)(2)"},
    {")1(", kSyntax + ")1("},
    {"   ", kSyntax},
    {"2^3^2", kSyntax + "2^3\\r2"},
    {"A*-B", kSyntax + "A\\r-B"},  // the product rule writes last
    {"A--B", kSyntax + "A-\\rB"},
    {"5+-X", kSyntax + "5+\\rX"},
    {"--2", kSyntax + "-\\r2"},
    {"1E", kSyntax + "1E"},
    {"1.5.5", kSyntax + "1.5.5"},
    {"SQRT4", kSyntax + "SQRT4"},
    {"SQRT()", kSyntax + "\\r "},
    {"foo(1)", kSyntax + "FOO(1)"},
    {"1,5", kSyntax + "1,5"},
    {"1\t+2", kSyntax + "1\\t\\r2"},
    // the nesting limit: 20 levels of operations
    {Chain("+", 21), "VALUE 231 231.00"},
    {Chain("+", 22), kNestings},
    {Chain("-", 21), "VALUE -229 -229.00"},
    {Chain("-", 22), kNestings},
    {NestedGroups(20), "VALUE 21 21.00"},
    {NestedGroups(21), kNestings},
    // the slot limit: 50 operations on one level
    {SumTree(6), "VALUE 64 64.00"},
    {SumTree(7), kComplex},
    // a literal beyond the double range is an overflow, not a parser error
    {"1E309", "ERROR EFloatOverflow Floating point overflow"},
    // Halfway between the largest double and 2^1024: rounds up, out of range.
    {"1.797693134862315807937289E308", "ERROR EFloatOverflow Floating point overflow"},
    {"-1.797693134862315807937289E308", "ERROR EFloatOverflow Floating point overflow"},
    // The largest double itself still fits.
    {"1.7976931348623157E308", "VALUE 1.7976931348623157e+308 1.797693135E308"},
    {"2*1E5000", "ERROR EFloatOverflow Floating point overflow"},
};

class ErrorTable : public ::testing::TestWithParam<Case>
{};

TEST_P(ErrorTable, ReportsClassAndMessage)
{
    EXPECT_EQ(Outcome(GetParam().expression), GetParam().outcome) << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(Texts, ErrorTable, ::testing::ValuesIn(kCases));

// Any text is a value or one of the errors, however long or deep, and the
// answer does not depend on how many times the rules revisit a piece.
TEST(Robustness, DeepAndLongTextsEndInAnError)
{
    EXPECT_EQ(Outcome(Repeat("(", 5000) + "1" + Repeat(")", 5000)), kComplex);
    EXPECT_EQ(Outcome(Repeat("-(", 3000) + "1" + Repeat(")", 3000)), kComplex);
    EXPECT_EQ(Outcome(Chain("-", 400)), kNestings);
    EXPECT_EQ(Outcome(Repeat("1-", 300) + "X"), kNestings);
    EXPECT_EQ(Outcome(Repeat("(", 300) + "1" + Repeat(")", 300)), "VALUE 1 1.00");
    EXPECT_EQ(Outcome(std::string(100000, '7')), "ERROR EFloatOverflow Floating point overflow");
    EXPECT_EQ(Outcome("\x01\xff\x80("), "ERROR EMissMatchingBracket Missing brackets in expression (\")\")");
    EXPECT_EQ(Outcome("\x01\xff\x80"), kSyntax + "\x01\xff\x80");
}

}  // namespace
