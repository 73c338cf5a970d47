// The recognizer remembers rule results per piece and rules out hopeless
// splits with cheap tests. Its readings and syntax-error operands must be
// exactly those of the plain rules (plain_rules.h), tried one after another
// without any shortcut.

#include "plain_rules.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using plain::PlainReading;
using plain::RecognizerReading;

TEST(RecognizerReference, AgreesWithThePlainRulesOnGeneratedTexts)
{
    const std::vector<std::string> tokens = {
        "1", "2", "0", "9", ".",   "E",   "X",    "A",     "D",  "-",     "-",   "+",   "*", "/",  "^",  "(",
        ")", "(", ")", ",", "DIV", "MOD", "MAX(", "SQRT(", "PI", "1E999", "E-1", "2.5", "4", "--", "*-", "-(",
    };
    // Shapes where a shortcut would be tempting and wrong.
    const char *const tricky[] = {"--2^2*3", "-+2^2*3",   "E-1*2",         "2*-X-1",   "1-2*-3-4", "7DIV-2^2-1",
                                  "D-1*2",   "(1)-(2)*3", "MAX(1,-2)*3-1", "1E-5*2-3", "-X*-2"};
    for (const char *text : tricky)
        EXPECT_EQ(RecognizerReading(text), PlainReading(text)) << "text: " << text;

    std::mt19937 random(20240611u);
    std::uniform_int_distribution<std::size_t> pick(0, tokens.size() - 1);
    std::uniform_int_distribution<int> length(1, 9);
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += tokens[pick(random)];
        if (text.size() > 22)
            continue;  // the plain rules are exponential
        const std::string expected = PlainReading(text);
        const std::string actual = RecognizerReading(text);
        ASSERT_EQ(actual, expected) << "text: " << text;
        ++compared;
    }
    EXPECT_GT(compared, 100000);
}

}  // namespace
