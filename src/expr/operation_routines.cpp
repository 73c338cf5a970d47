#include "operation_routines.h"

#include "errors.h"
#include "extended_math.h"

#include <cstdint>

namespace nollard {
namespace {

using LD = long double;

void negate(OperationRecord &op)
{
    *op.result = -*op.arg1;
}

void add(OperationRecord &op)
{
    *op.result = StoreRounded(LD(*op.arg1) + LD(*op.arg2), *op.arg1, *op.arg2);
}

void subtract(OperationRecord &op)
{
    *op.result = StoreRounded(LD(*op.arg1) - LD(*op.arg2), *op.arg1, *op.arg2);
}

void multiply(OperationRecord &op)
{
    *op.result = StoreRounded(LD(*op.arg1) * LD(*op.arg2), *op.arg1, *op.arg2);
}

void divide(OperationRecord &op)
{
    *op.result = StoreRounded(CheckedDivide(*op.arg1, *op.arg2), *op.arg1, *op.arg2);
}

// DIV and MOD work on the operands truncated to 64-bit integers. The one
// quotient outside that range, -2^63 DIV -1, is 2^63 exactly.
void intDiv(OperationRecord &op)
{
    const std::int64_t a = TruncateToInt64(*op.arg1);
    const std::int64_t b = TruncateToInt64(*op.arg2);
    if (b == 0)
        throw EIntegerDivideByZero();
    if (a == INT64_MIN && b == -1) {
        *op.result = 9223372036854775808.0;
        return;
    }
    *op.result = static_cast<double>(static_cast<LD>(a / b));
}

void modulo(OperationRecord &op)
{
    const std::int64_t a = TruncateToInt64(*op.arg1);
    const std::int64_t b = TruncateToInt64(*op.arg2);
    if (b == 0)
        throw EIntegerDivideByZero();
    if (b == -1) {
        *op.result = 0.0;
        return;
    }
    *op.result = static_cast<double>(a % b);
}

// The compiler makes opIntPower only for a whole literal exponent within the
// 32-bit range; the exponent is read the same way as INTPOWER reads it.
void intPower(OperationRecord &op)
{
    const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(TruncateToInt64(*op.arg2)));
    *op.result = StoreRounded(IntegerPower(*op.arg1, n), *op.arg1, *op.arg2);
}

void realPower(OperationRecord &op)
{
    *op.result = StoreRounded(GeneralPower(*op.arg1, *op.arg2), *op.arg1, *op.arg2);
}

void square(OperationRecord &op)
{
    const LD a = *op.arg1;
    *op.result = StoreRounded(a * a, *op.arg1);
}

void cube(OperationRecord &op)
{
    const LD a = *op.arg1;
    *op.result = StoreRounded(a * a * a, *op.arg1);
}

void fourthPower(OperationRecord &op)
{
    const LD a = *op.arg1;
    const LD s = a * a;
    *op.result = StoreRounded(s * s, *op.arg1);
}

}  // namespace

Routine RoutineForKind(OperationKind kind)
{
    switch (kind) {
    case OperationKind::opNegate:
        return negate;
    case OperationKind::opAdd:
        return add;
    case OperationKind::opSubtract:
        return subtract;
    case OperationKind::opMultiply:
        return multiply;
    case OperationKind::opDivide:
        return divide;
    case OperationKind::opModulo:
        return modulo;
    case OperationKind::opIntDiv:
        return intDiv;
    case OperationKind::opIntPower:
        return intPower;
    case OperationKind::opRealPower:
        return realPower;
    case OperationKind::opSquare:
        return square;
    case OperationKind::opCube:
        return cube;
    case OperationKind::opFourthPower:
        return fourthPower;
    default:
        return nullptr;
    }
}

}  // namespace nollard
