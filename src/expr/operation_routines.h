#pragma once

#include "operation.h"

namespace nollard {

// The routine the component gives an operation of kind 0 to 13; null for
// opVariable and opConstant, whose value is their cell.
Routine RoutineForKind(OperationKind kind);

}  // namespace nollard
