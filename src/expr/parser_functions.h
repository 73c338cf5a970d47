#pragma once

#include "name_tables.h"

namespace nollard {

// Registers the 24 one-argument and 6 two-argument functions of TParser.
void RegisterStandardFunctions(FunctionTable &oneArgument, FunctionTable &twoArguments);

}  // namespace nollard
