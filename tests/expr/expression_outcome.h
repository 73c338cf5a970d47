#pragma once

#include "calc_output.h"

#include <string>
#include <string_view>

// The calculator's one-line outcome of an expression on a fresh component:
// "VALUE <%.17g> <amount text>" or "ERROR <class> <escaped message>".
inline std::string Outcome(std::string_view expression)
{
    nollard::calc::Calculator calculator;
    return calculator.expressionLine(expression);
}
