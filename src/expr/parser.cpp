#include "parser.h"

#include "parser_functions.h"

namespace nollard {

TParser::TParser()
{
    RegisterStandardFunctions(functionsOne(), functionsTwo());
    VariableTable &vars = variables();
    vars.add("A", &A);
    vars.add("B", &B);
    vars.add("C", &C);
    vars.add("D", &D);
    vars.add("E", &E);
    vars.add("X", &X);
    vars.add("Y", &Y);
    vars.add("T", &T);
}

}  // namespace nollard
