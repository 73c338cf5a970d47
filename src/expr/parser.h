#pragma once

#include "custom_parser.h"

namespace nollard {

// The parser component with its standard names: the variables A, B, C, D, E,
// T, X, Y (0 until the program sets them; an expression reads their value at
// the moment of evaluation), the constant PI, 24 one-argument and 6
// two-argument functions.
class TParser : public TCustomParser
{
public:
    TParser();

    double A = 0.0;
    double B = 0.0;
    double C = 0.0;
    double D = 0.0;
    double E = 0.0;
    double X = 0.0;
    double Y = 0.0;
    double T = 0.0;
};

}  // namespace nollard
