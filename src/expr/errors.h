#pragma once

#include <stdexcept>
#include <string>

namespace nollard {

// Every fault of reading an expression text derives from EMathParserError;
// the component hands exactly these to its OnParserError handler.
class EMathParserError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class EExpressionHasBlanks : public EMathParserError
{
public:
    EExpressionHasBlanks() : EMathParserError("Expression has blanks") {}
};

class EMissMatchingBracket : public EMathParserError
{
public:
    // missing is the bracket that is short: ')' when there are more '(' than ')'.
    explicit EMissMatchingBracket(char missing)
        : EMathParserError(std::string("Missing brackets in expression (\"") + missing + "\")")
    {}
};

class ESyntaxError : public EMathParserError
{
public:
    using EMathParserError::EMathParserError;
};

class ETooManyNestings : public EMathParserError
{
public:
    ETooManyNestings() : EMathParserError("Expression contains too many nestings") {}
};

class EExpressionTooComplex : public EMathParserError
{
public:
    EExpressionTooComplex() : EMathParserError("Expression is too complex") {}
};

class EParserInternalError : public EMathParserError
{
public:
    EParserInternalError() : EMathParserError("TParser internal error") {}
};

// Arithmetic faults. They are not parser errors: a literal beyond the double
// range raises EFloatOverflow while compiling and must not reach OnParserError.
class EArithmeticFault : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class EFloatDivideByZero : public EArithmeticFault
{
public:
    EFloatDivideByZero() : EArithmeticFault("Floating point division by zero") {}
};

class EFloatInvalidOperation : public EArithmeticFault
{
public:
    EFloatInvalidOperation() : EArithmeticFault("Invalid floating point operation") {}
};

class EFloatOverflow : public EArithmeticFault
{
public:
    EFloatOverflow() : EArithmeticFault("Floating point overflow") {}
};

// DIV and MOD by zero, after truncation to whole numbers.
class EIntegerDivideByZero : public EArithmeticFault
{
public:
    EIntegerDivideByZero() : EArithmeticFault("Division by zero") {}
};

}  // namespace nollard
