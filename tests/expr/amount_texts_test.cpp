// The two-decimal amount text of a fee line and the amount in capitals.

#include "expr/amount_in_capitals.h"
#include "expr/amount_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace nollard;

namespace {

struct TextCase
{
    double amount;
    const char *text;
};

const TextCase kAmountTexts[] = {
    {0.0, "0.00"},
    {120.0, "120.00"},
    {3.125, "3.13"},
    {2.675, "2.67"},  // its double is just below 2.675
    {0.005, "0.01"},
    {0.004, "0.00"},
    {-1.5, "-1.50"},
    {-3.125, "-3.13"},  // half away from zero
    {0.1 + 0.2, "0.30"},
    {99999999.994, "99999999.99"},
    {123456789.126, "123456789.10"},  // ten significant digits
    {1234567891.5, "1234567892.00"},
    {9999999999.0, "9999999999.00"},
    {9999999999.999, "1E10"},
    {10000000000.0, "1E10"},
    {12345678901.0, "1.23456789E10"},
    {-2.5e15, "-2.5E15"},
    {1e-5, "0.00"},
    // Amounts that round to zero carry no sign.
    {-0.001, "0.00"},
    {-0.004999, "0.00"},
    {-1e-9, "0.00"},
    {-0.005, "-0.01"},
};

class AmountTextTable : public ::testing::TestWithParam<TextCase>
{};

TEST_P(AmountTextTable, RoundsAsTheFeeLineStoresIt)
{
    EXPECT_EQ(AmountText(GetParam().amount), GetParam().text) << GetParam().amount;
}

INSTANTIATE_TEST_SUITE_P(Amounts, AmountTextTable, ::testing::ValuesIn(kAmountTexts));

struct CapitalsCase
{
    double amount;
    const char *capitals;  // "_" stands for one blank
};

const CapitalsCase kCapitals[] = {
    {0.0, "元整"},
    {0.01, "元零壹_分_"},
    {0.05, "元零伍_分_"},
    {0.125, "元壹_角_叁_分_"},
    {0.50, "元伍_角_"},
    {10.00, "壹_拾_元整"},
    {12.00, "壹_拾_贰_元整"},
    {30.00, "叁_拾_元整"},
    {100.00, "壹_佰_元整"},
    {102.50, "壹_佰_零贰_元_伍_角_"},
    {105.50, "壹_佰_零伍_元_伍_角_"},
    {123.00, "壹_佰_贰_拾_叁_元整"},
    {123.45, "壹_佰_贰_拾_叁_元_肆_角_伍_分_"},
    {1010.00, "壹_仟_零壹_拾_元整"},
    {10500.00, "壹_万_零伍_佰_元整"},
    {12345.67, "壹_万_贰_仟_叁_佰_肆_拾_伍_元_陆_角_柒_分_"},
    {100000.00, "壹_拾_万元整"},
    {10000000.00, "壹_千_万元整"},
    {100010000.00, "壹_亿_零壹_万_元整"},
    {125.5, "壹_佰_贰_拾_伍_元_伍_角_"},
    {-0.001, "元整"},  // rounds to zero
    // 万 is written for a zero digit only when its group holds another digit.
    {100000000.00, "壹_亿_元整"},
    {200000000.5, "贰_亿_元伍_角_"},
    {1000000001.00, "壹_十_亿零壹_元整"},
    {300050000.00, "叁_亿_零伍_万_元整"},
    {120000000.00, "壹_亿_贰_千_万元整"},
    {100100000.00, "壹_亿_零壹_拾_万元整"},
    {999999999999.99, "玖_千_玖_佰_玖_十_玖_亿_玖_千_玖_佰_玖_拾_玖_万_玖_仟_玖_佰_玖_拾_玖_元_玖_角_玖_分_"},
};

std::string Blanks(std::string s)
{
    for (char &c : s)
        if (c == '_')
            c = ' ';
    return s;
}

class CapitalsTable : public ::testing::TestWithParam<CapitalsCase>
{};

TEST_P(CapitalsTable, SpellsTheAmount)
{
    EXPECT_EQ(AmountInCapitals(GetParam().amount), Blanks(GetParam().capitals)) << GetParam().amount;
}

INSTANTIATE_TEST_SUITE_P(Amounts, CapitalsTable, ::testing::ValuesIn(kCapitals));

TEST(Capitals, NegativeAmountIsAConversionError)
{
    for (double amount : {-5.0, -0.01, -0.005}) {
        try {
            AmountInCapitals(amount);
            ADD_FAILURE() << amount << " was converted";
        } catch (const ConversionError &e) {
            EXPECT_STREQ(e.what(), "'-' is not a valid integer value");
        }
    }
}

TEST(Capitals, TrillionsAreRefusedNotMisspelt)
{
    for (double amount : {1e12, 1234567890123.45, 1.5e15}) {
        try {
            const std::string text = AmountInCapitals(amount);
            ADD_FAILURE() << amount << " was spelt " << text;
        } catch (const AmountOutOfRange &e) {
            EXPECT_NE(std::string(e.what()).find("超出大写金额的范围"), std::string::npos) << e.what();
        }
    }
}

}  // namespace
