// libFuzzer target: any byte string compiles to a list or to one of the
// parser errors (or the overflow of a literal), and any list evaluates to a
// value or to an arithmetic fault. Any other exception, crash, leak or
// undefined behaviour fails the run. Short texts are also read by the plain,
// shortcut-free rules, which must agree with the recognizer.

#include "expr/amount_in_capitals.h"
#include "expr/amount_text.h"
#include "expr/parser.h"
#include "plain_rules.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size <= 16) {
        // Compare on the prepared text (upper case, no outer blanks); the
        // recognizer's depth limit is far away at this length.
        std::string upper = nollard::UpperCaseAscii(std::string_view(reinterpret_cast<const char *>(data), size));
        if (upper.find(' ') == std::string::npos && plain::PlainReading(upper) != plain::RecognizerReading(upper))
            __builtin_trap();
    }

    // One component for the whole run, as in the program: each input replaces
    // the previous expression.
    static nollard::TParser parser;
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    parser.X = size % 7 == 0 ? 0.0 : static_cast<double>(size) / 3.0;
    bool compiled = true;
    try {
        parser.SetExpression(text);
    } catch (const nollard::EMathParserError &) {
        compiled = false;
    } catch (const nollard::EFloatOverflow &) {
        compiled = false;
    }
    if (!compiled && parser.Value() != 0.0L)
        __builtin_trap();  // a failed compilation leaves no list

    for (int read = 0; read < 2; ++read) {
        try {
            const double value = static_cast<double>(parser.Value());
            (void)nollard::AmountText(value);
            // Amounts from 10^12 on are refused (AmountOutOfRange); below,
            // every non-negative amount is spelt.
            (void)nollard::AmountInCapitals(std::fabs(value) < 1e11 ? std::fabs(value) : 0.0);
        } catch (const nollard::EArithmeticFault &) {
        }
    }

    // The amount texts take any double.
    if (size >= sizeof(double)) {
        double amount;
        std::memcpy(&amount, data, sizeof amount);
        (void)nollard::AmountText(amount);
        try {
            (void)nollard::AmountInCapitals(amount);
        } catch (const nollard::ConversionError &) {
        }
    }
    return 0;
}
