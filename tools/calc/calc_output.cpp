#include "calc_output.h"

#include "expr/amount_in_capitals.h"
#include "expr/amount_text.h"

#include <charconv>
#include <cstdio>

namespace nollard::calc {

std::string EscapeMessage(std::string_view message)
{
    std::string out;
    out.reserve(message.size());
    for (char c : message) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string ErrorClassName(const std::exception &e)
{
    // Most derived first.
    if (dynamic_cast<const EExpressionHasBlanks *>(&e))
        return "EExpressionHasBlanks";
    if (dynamic_cast<const EMissMatchingBracket *>(&e))
        return "EMissMatchingBracket";
    if (dynamic_cast<const ESyntaxError *>(&e))
        return "ESyntaxError";
    if (dynamic_cast<const ETooManyNestings *>(&e))
        return "ETooManyNestings";
    if (dynamic_cast<const EExpressionTooComplex *>(&e))
        return "EExpressionTooComplex";
    if (dynamic_cast<const EParserInternalError *>(&e))
        return "EParserInternalError";
    if (dynamic_cast<const EMathParserError *>(&e))
        return "EMathParserError";
    if (dynamic_cast<const EFloatDivideByZero *>(&e))
        return "EFloatDivideByZero";
    if (dynamic_cast<const EFloatInvalidOperation *>(&e))
        return "EFloatInvalidOperation";
    if (dynamic_cast<const EFloatOverflow *>(&e))
        return "EFloatOverflow";
    if (dynamic_cast<const EIntegerDivideByZero *>(&e))
        return "EIntegerDivideByZero";
    if (dynamic_cast<const EArithmeticFault *>(&e))
        return "EArithmeticFault";
    if (dynamic_cast<const ConversionError *>(&e))
        return "ConversionError";
    return "std::exception";
}

std::string Calculator::expressionLine(std::string_view expression)
{
    try {
        parser_.SetExpression(expression);
        const double value = static_cast<double>(parser_.Value());
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g", value);
        return std::string("VALUE ") + buf + " " + AmountText(value);
    } catch (const std::exception &e) {
        return "ERROR " + ErrorClassName(e) + " " + EscapeMessage(e.what());
    }
}

std::string Calculator::capitalsLine(std::string_view amount)
{
    std::string_view text = amount;
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size())
        return "ERROR '" + EscapeMessage(amount) + "' is not a valid floating point value";
    try {
        return AmountInCapitals(value);
    } catch (const std::exception &e) {
        return "ERROR " + EscapeMessage(e.what());
    }
}

}  // namespace nollard::calc
