#pragma once

#include "errors.h"
#include "name_tables.h"
#include "operation.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace nollard {

// Holds one expression at a time: assigning Expression compiles it into a list
// of operations; reading Value runs that list. The names an expression may use
// live in the component's tables; TParser fills them.
class TCustomParser
{
public:
    using ParserErrorHandler = std::function<void(TCustomParser &sender, const EMathParserError &error)>;

    TCustomParser();
    virtual ~TCustomParser();
    TCustomParser(const TCustomParser &) = delete;
    TCustomParser &operator=(const TCustomParser &) = delete;

    // Runs the compiled operations and returns the last result, widened to
    // long double; 0 without a compiled expression. Never compiles and never
    // allocates (except for the exception of an arithmetic fault).
    long double Value();

    const std::string &Expression() const { return expression_; }
    // Stores the text and compiles it; an empty text leaves no list (Value 0).
    // A parser error goes to OnParserError when one is set, otherwise it is
    // thrown; either way no list is left. Other errors (the overflow of a
    // literal) are thrown.
    void SetExpression(std::string_view text);

    bool PascalNumberformat() const { return pascalNumberformat_; }
    void SetPascalNumberformat(bool value) { pascalNumberformat_ = value; }

    const ParserErrorHandler &OnParserError() const { return onParserError_; }
    void SetOnParserError(ParserErrorHandler handler) { onParserError_ = std::move(handler); }

protected:
    VariableTable &variables() { return variables_; }
    FunctionTable &functionsOne() { return functionsOne_; }
    FunctionTable &functionsTwo() { return functionsTwo_; }

private:
    struct Call
    {
        Routine routine;
        OperationRecord *op;
    };

    void release();
    void buildCallSequence();

    std::vector<Call> calls_;
    std::string expression_;
    bool pascalNumberformat_ = true;
    VariableTable variables_;
    OperationList list_;
    double *valueCell_ = nullptr;
    ParserErrorHandler onParserError_;
    FunctionTable functionsOne_;
    FunctionTable functionsTwo_;
};

}  // namespace nollard
