#include "custom_parser.h"

#include "compile_expression.h"
#include "operation_routines.h"

namespace nollard {

TCustomParser::TCustomParser() = default;
TCustomParser::~TCustomParser() = default;

void TCustomParser::release()
{
    calls_.clear();
    list_ = OperationList();
    valueCell_ = nullptr;
}

void TCustomParser::SetExpression(std::string_view text)
{
    release();
    expression_.assign(text);
    if (expression_.empty())
        return;
    try {
        list_ = CompileExpression(expression_, variables_, functionsOne_, functionsTwo_, pascalNumberformat_);
    } catch (const EMathParserError &error) {
        if (!onParserError_)
            throw;
        onParserError_(*this, error);
        return;
    }
    buildCallSequence();
}

// Gives each operation its routine and lines the routines up for Value.
// An operation whose inputs are all literals (or results computed that way)
// and whose routine depends on its arguments alone is computed here once, so
// that reading Value repeats only the work that can change: reads of
// variables and the random numbers. An operation that faults is left in the
// sequence, so the fault is raised by every read, as without this shortcut.
void TCustomParser::buildCallSequence()
{
    std::vector<bool> fixedCell(list_.cellCount(), false);
    auto isFixed = [&](const double *cell) {
        if (!cell)
            return true;
        if (list_.isLiteralCell(cell))
            return true;
        return list_.ownsCell(cell) && fixedCell[list_.cellIndex(cell)];
    };
    std::vector<OperationRecord> &ops = list_.operations();
    calls_.reserve(ops.size());
    for (OperationRecord &op : ops) {
        if (op.kind != OperationKind::opFunction1 && op.kind != OperationKind::opFunction2)
            op.routine = RoutineForKind(op.kind);
        valueCell_ = op.result;
        if (!op.routine)
            continue;  // the holder of a single number or variable: its cell is the value
        const bool pure = (op.kind != OperationKind::opFunction1 && op.kind != OperationKind::opFunction2)
                          || functionsOne_.isPureRoutine(op.routine) || functionsTwo_.isPureRoutine(op.routine);
        if (pure && isFixed(op.arg1) && isFixed(op.arg2)) {
            try {
                op.routine(op);
                fixedCell[list_.cellIndex(op.result)] = true;
                continue;
            } catch (const EArithmeticFault &) {
                // left for Value to raise
            }
        }
        calls_.push_back(Call{op.routine, &op});
    }
}

long double TCustomParser::Value()
{
    for (const Call &call : calls_)
        call.routine(*call.op);
    return valueCell_ ? static_cast<long double>(*valueCell_) : 0.0L;
}

}  // namespace nollard
