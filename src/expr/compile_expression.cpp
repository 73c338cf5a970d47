#include "compile_expression.h"

#include "errors.h"
#include "expression_recognizer.h"

#include <array>
#include <string>

namespace nollard {
namespace {

constexpr int kMaxLevel = 20;
constexpr int kMaxSlot = 50;

// A reference to a double cell while building: a variable's storage, a
// literal cell or an operation's result cell (indices into the owned cells).
struct CellRef
{
    double *variable = nullptr;
    int literal = -1;
    int result = -1;
};

struct PendingOperation
{
    OperationKind kind = OperationKind::opVariable;
    Routine routine = nullptr;
    CellRef arg1;
    CellRef arg2;
    int resultCell = -1;  // -1 for the holder: its result is its argument
};

bool isUnary(OperationKind k)
{
    return k == OperationKind::opNegate || k == OperationKind::opSquare || k == OperationKind::opCube
           || k == OperationKind::opFourthPower || k == OperationKind::opFunction1;
}

bool isBinary(OperationKind k)
{
    switch (k) {
    case OperationKind::opAdd:
    case OperationKind::opSubtract:
    case OperationKind::opMultiply:
    case OperationKind::opDivide:
    case OperationKind::opModulo:
    case OperationKind::opIntDiv:
    case OperationKind::opIntPower:
    case OperationKind::opRealPower:
    case OperationKind::opFunction2:
        return true;
    default:
        return false;
    }
}

class ListBuilder
{
public:
    explicit ListBuilder(ExpressionRecognizer &recognizer) : rec_(recognizer)
    {
        for (auto &row : table_)
            row.fill(-1);
        counts_.fill(0);
        counts_[0] = 1;
        ops_.push_back(PendingOperation{});  // the holder, level 0 slot 1
        table_[0][1] = 0;
    }

    OperationList build(Span root)
    {
        visit(root, 0, 1, 1);
        return link();
    }

private:
    // Depth first: the term, then its left subtree, then its right subtree.
    // Levels never exceed 20, so the recursion stays shallow.
    void visit(Span text, int level, int slot, int side)
    {
        const Classification c = rec_.classify(text);
        if (!c.accepted)
            throw syntaxError(text, c);

        PendingOperation &consumer = ops_[static_cast<std::size_t>(table_[level][slot])];
        if (c.kind == OperationKind::opConstant || c.kind == OperationKind::opVariable) {
            CellRef ref;
            if (c.kind == OperationKind::opConstant) {
                ref.literal = static_cast<int>(literals_.size());
                literals_.push_back(c.constant);
            } else {
                ref.variable = c.variable;
            }
            (side == 1 ? consumer.arg1 : consumer.arg2) = ref;
            return;
        }

        const int childLevel = level + 1;
        checkLimits(childLevel, counts_[childLevel] + 1);
        const int childSlot = counts_[childLevel] + 1;

        PendingOperation op;
        op.kind = c.kind;
        if (c.function)
            op.routine = c.function->routine;
        op.resultCell = resultCount_++;
        CellRef resultRef;
        resultRef.result = op.resultCell;
        (side == 1 ? consumer.arg1 : consumer.arg2) = resultRef;  // consumer not used after push_back
        table_[childLevel][childSlot] = static_cast<int>(ops_.size());
        ops_.push_back(op);
        if (childLevel > deepest_)
            deepest_ = childLevel;

        if (isUnary(c.kind)) {
            ++counts_[childLevel];
            visit(c.left, childLevel, childSlot, 1);  // a power's literal exponent is dropped
            return;
        }
        visit(c.left, childLevel, childSlot, 1);
        if (!isBinary(c.kind))
            throw EParserInternalError();
        checkLimits(childLevel, childSlot);
        ++counts_[childLevel];
        visit(c.right, childLevel, childSlot, 2);
    }

    static void checkLimits(int level, int slot)
    {
        if (level > kMaxLevel)
            throw ETooManyNestings();
        if (slot > kMaxSlot)
            throw EExpressionTooComplex();
    }

    ESyntaxError syntaxError(Span text, const Classification &c) const
    {
        std::string message = "错误的表达式:\r";
        if (!c.leftWritten && !c.rightWritten) {
            message += rec_.text(text);
        } else {
            message += c.leftWritten ? rec_.text(c.left) : std::string_view(" ");
            message += '\r';
            message += c.rightWritten ? rec_.text(c.right) : std::string_view(" ");
        }
        return ESyntaxError(message);
    }

    // Deepest level first, each level in slot order: every operation comes
    // after the operations that feed it, and the outermost one comes last.
    OperationList link()
    {
        std::vector<int> order;
        if (deepest_ == 0) {
            order.push_back(0);
        } else {
            for (int level = deepest_; level >= 1; --level)
                for (int slot = 1; slot <= kMaxSlot && table_[level][slot] >= 0; ++slot)
                    order.push_back(table_[level][slot]);
        }
        const std::size_t literalCount = literals_.size();
        const std::size_t cellCount = literalCount + static_cast<std::size_t>(resultCount_);
        std::unique_ptr<double[]> cells(new double[cellCount == 0 ? 1 : cellCount]());
        for (std::size_t i = 0; i < literalCount; ++i)
            cells[i] = literals_[i];
        auto resolve = [&](const CellRef &r) -> double * {
            if (r.variable)
                return r.variable;
            if (r.literal >= 0)
                return &cells[static_cast<std::size_t>(r.literal)];
            if (r.result >= 0)
                return &cells[literalCount + static_cast<std::size_t>(r.result)];
            return nullptr;
        };
        std::vector<OperationRecord> list(order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            const PendingOperation &p = ops_[static_cast<std::size_t>(order[i])];
            OperationRecord &r = list[i];
            r.kind = p.kind;
            r.routine = p.routine;
            r.arg1 = resolve(p.arg1);
            r.arg2 = resolve(p.arg2);
            r.result = p.resultCell >= 0 ? &cells[literalCount + static_cast<std::size_t>(p.resultCell)] : r.arg1;
        }
        for (std::size_t i = 0; i + 1 < list.size(); ++i)
            list[i].next = &list[i + 1];
        return OperationList(std::move(list), std::move(cells), cellCount, literalCount);
    }

    ExpressionRecognizer &rec_;
    std::vector<PendingOperation> ops_;
    std::vector<double> literals_;
    std::array<std::array<int, kMaxSlot + 1>, kMaxLevel + 1> table_{};
    std::array<int, kMaxLevel + 1> counts_{};
    int resultCount_ = 0;
    int deepest_ = 0;
};

std::string_view trimBlanks(std::string_view t)
{
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ')
        t.remove_suffix(1);
    return t;
}

}  // namespace

OperationList CompileExpression(std::string_view text, const VariableTable &variables,
                                const FunctionTable &functionsOne, const FunctionTable &functionsTwo,
                                bool pascalNumberformat)
{
    const std::string upper = UpperCaseAscii(text);
    const std::string_view prepared = trimBlanks(upper);
    if (prepared.find(' ') != std::string_view::npos)
        throw EExpressionHasBlanks();
    long long balance = 0;
    for (char ch : prepared)
        balance += (ch == '(') - (ch == ')');
    if (balance > 0)
        throw EMissMatchingBracket(')');
    if (balance < 0)
        throw EMissMatchingBracket('(');

    ExpressionRecognizer recognizer(prepared, variables, functionsOne, functionsTwo, pascalNumberformat);
    Span root = recognizer.whole();
    Span inner;
    while (recognizer.isBracketed(root, &inner))
        root = inner;
    ListBuilder builder(recognizer);
    return builder.build(root);
}

}  // namespace nollard
