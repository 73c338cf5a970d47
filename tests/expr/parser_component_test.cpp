// The parser component: expression lifecycle, OnParserError, variables read at
// evaluation time, and faults raised by the read, not by the compilation.

#include "expr/parser.h"

#include <gtest/gtest.h>

#include <string>

using namespace nollard;

TEST(Component, EmptyExpressionAndRecompilation)
{
    TParser p;
    EXPECT_EQ(p.Value(), 0.0L);
    EXPECT_TRUE(p.PascalNumberformat());
    p.SetExpression("30");
    EXPECT_EQ(p.Value(), 30.0L);
    p.SetExpression("");
    EXPECT_EQ(p.Value(), 0.0L);
    EXPECT_EQ(p.Expression(), "");
    p.SetExpression("2*X");
    p.SetExpression("2*X");  // the same text compiles again
    p.X = 21;
    EXPECT_EQ(p.Value(), 42.0L);
    EXPECT_EQ(p.Value(), 42.0L);  // reads repeat
}

TEST(Component, VariablesAreReadWhenTheValueIsRead)
{
    TParser p;
    p.SetExpression("a+b*c-d/e+x*y+t");
    EXPECT_THROW(p.Value(), EFloatInvalidOperation);  // d/e is 0/0 while all are 0
    p.A = 1;
    p.B = 2;
    p.C = 3;
    p.D = 8;
    p.E = 4;
    p.X = 5;
    p.Y = 6;
    p.T = 7;
    EXPECT_EQ(p.Value(), 1.0L + 6 - 2 + 30 + 7);
    p.SetExpression("X");
    p.X = -2.5;
    EXPECT_EQ(p.Value(), -2.5L);
}

TEST(Component, SyntaxErrorWithoutHandlerReachesTheWriter)
{
    TParser p;
    p.SetExpression("1+1");
    EXPECT_THROW(p.SetExpression("ABC"), ESyntaxError);
    EXPECT_EQ(p.Expression(), "ABC");
    EXPECT_EQ(p.Value(), 0.0L);
}

TEST(Component, HandlerReceivesParserErrorsInsteadOfTheWriter)
{
    TParser p;
    TCustomParser *sender = nullptr;
    std::string caught;
    int calls = 0;
    p.SetOnParserError([&](TCustomParser &s, const EMathParserError &e) {
        sender = &s;
        caught = e.what();
        ++calls;
        EXPECT_NE(dynamic_cast<const ESyntaxError *>(&e), nullptr);
    });
    p.SetExpression("5");
    EXPECT_NO_THROW(p.SetExpression("2*A1"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(sender, &p);
    EXPECT_EQ(caught, "错误的表达式:\r2\rA1");
    EXPECT_EQ(p.Value(), 0.0L);
    EXPECT_EQ(p.Expression(), "2*A1");

    // Every parser error goes there, not only syntax errors...
    p.SetOnParserError([&](TCustomParser &, const EMathParserError &e) { caught = e.what(); });
    EXPECT_NO_THROW(p.SetExpression("(1"));
    EXPECT_EQ(caught, "Missing brackets in expression (\")\")");
    // ...but the overflow of a literal is no parser error.
    caught.clear();
    EXPECT_THROW(p.SetExpression("1E400"), EFloatOverflow);
    EXPECT_TRUE(caught.empty());
    EXPECT_EQ(p.Value(), 0.0L);
}

TEST(Component, FaultsAreRaisedByEveryReadNotByCompiling)
{
    TParser p;
    // All literal: the faulting operation must still fault at the read.
    const char *faulting[] = {"1/0", "1+2*(3/0)", "SQRT(-1)*2", "5DIV0", "1E308*10", "LN(0)+1"};
    for (const char *text : faulting) {
        EXPECT_NO_THROW(p.SetExpression(text)) << text;
        EXPECT_THROW(p.Value(), EArithmeticFault) << text;
        EXPECT_THROW(p.Value(), EArithmeticFault) << text;
    }
    // A fault depending on a variable comes and goes with it.
    p.SetExpression("1/X+1");
    EXPECT_THROW(p.Value(), EFloatDivideByZero);
    p.X = 4;
    EXPECT_EQ(p.Value(), 1.25L);
    p.X = 0;
    EXPECT_THROW(p.Value(), EFloatDivideByZero);
}

TEST(Component, PascalNumberformatOffReadsTheLocaleDecimalPoint)
{
    // In the C locale the decimal point is "." as well.
    TParser p;
    p.SetPascalNumberformat(false);
    p.SetExpression("1.5*2");
    EXPECT_EQ(p.Value(), 3.0L);
}
