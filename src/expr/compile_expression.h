#pragma once

#include "name_tables.h"
#include "operation.h"

#include <string_view>

namespace nollard {

// Turns an expression text into a flat list of operations over double cells.
// The list's first() is the first operation to evaluate; the last one holds
// the expression's value. Routines are filled in only for function calls
// (opFunction1/opFunction2); the component gives the other kinds theirs.
//
// Raises one of the six EMathParserError classes, or EFloatOverflow for a
// literal beyond the double range; nothing is returned then.
OperationList CompileExpression(std::string_view text, const VariableTable &variables,
                                const FunctionTable &functionsOne, const FunctionTable &functionsTwo,
                                bool pascalNumberformat);

}  // namespace nollard
