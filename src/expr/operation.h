#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace nollard {

// One-byte operation codes; the values are part of the compiled list's contract.
enum class OperationKind : std::uint8_t {
    opVariable = 0,
    opConstant = 1,
    opNegate = 2,
    opAdd = 3,
    opSubtract = 4,
    opMultiply = 5,
    opDivide = 6,
    opModulo = 7,
    opIntDiv = 8,
    opIntPower = 9,
    opRealPower = 10,
    opSquare = 11,
    opCube = 12,
    opFourthPower = 13,
    opFunction1 = 14,
    opFunction2 = 15,
};

struct OperationRecord;

// Reads the operation's argument cells and writes its result cell; throws an
// EArithmeticFault on a fault.
using Routine = void (*)(OperationRecord &);

struct OperationRecord
{
    double *arg1 = nullptr;
    double *arg2 = nullptr;
    double *result = nullptr;
    OperationRecord *next = nullptr;
    Routine routine = nullptr;
    OperationKind kind = OperationKind::opVariable;
};

// The compiled form of one expression: the operations in evaluation order and
// the cells they own (literal cells first, then result cells). Variable cells
// are referenced, never owned. Moving keeps every pointer valid.
class OperationList
{
public:
    OperationList() = default;
    OperationList(std::vector<OperationRecord> ops, std::unique_ptr<double[]> cells, std::size_t cellCount,
                  std::size_t constantCount)
        : ops_(std::move(ops)), cells_(std::move(cells)), cellCount_(cellCount), constantCount_(constantCount)
    {}

    OperationRecord *first() { return ops_.empty() ? nullptr : ops_.data(); }
    std::vector<OperationRecord> &operations() { return ops_; }
    const std::vector<OperationRecord> &operations() const { return ops_; }

    // True for the cell of a numeric literal: its value never changes.
    bool isLiteralCell(const double *cell) const
    {
        return cell >= cells_.get() && cell < cells_.get() + constantCount_;
    }
    bool ownsCell(const double *cell) const { return cell >= cells_.get() && cell < cells_.get() + cellCount_; }
    // Index of an owned cell, for bookkeeping per cell.
    std::size_t cellIndex(const double *cell) const { return static_cast<std::size_t>(cell - cells_.get()); }
    std::size_t cellCount() const { return cellCount_; }

private:
    std::vector<OperationRecord> ops_;
    std::unique_ptr<double[]> cells_;
    std::size_t cellCount_ = 0;
    std::size_t constantCount_ = 0;
};

}  // namespace nollard
