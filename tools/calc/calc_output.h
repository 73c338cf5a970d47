#pragma once

#include "expr/parser.h"

#include <string>
#include <string_view>

namespace nollard::calc {

// One parser component for the whole run, so the random sequence advances
// from line to line as it does in the program.
class Calculator
{
public:
    // "VALUE <%.17g> <amount text>" or "ERROR <class name> <message>".
    std::string expressionLine(std::string_view expression);
    // The amount in capitals, or "ERROR <message>".
    std::string capitalsLine(std::string_view amount);

private:
    TParser parser_;
};

// CR, LF, tab and backslash as \r, \n, \t and \\; other bytes unchanged.
std::string EscapeMessage(std::string_view message);

// Name of the engine's exception class, e.g. "ESyntaxError".
std::string ErrorClassName(const std::exception &error);

}  // namespace nollard::calc
