#pragma once

#include "name_tables.h"
#include "operation.h"
#include "span_memo.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace nollard {

// A piece of the prepared expression text, [begin, end) in bytes.
struct Span
{
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    std::uint32_t size() const { return end - begin; }
    bool empty() const { return begin == end; }
};

// What the classification of one term found: its operation kind and operand
// texts, or the operand slots the rules last recorded when none accepted it.
struct Classification
{
    bool accepted = false;
    OperationKind kind = OperationKind::opConstant;
    Span left;
    Span right;
    bool leftWritten = false;  // a slot not written reads as a single blank
    bool rightWritten = false;
    double constant = 0.0;                           // opConstant
    double *variable = nullptr;                      // opVariable
    const FunctionTable::Entry *function = nullptr;  // opFunction1 / opFunction2
};

// The recognition rules over one prepared (upper-case, trimmed) text. Each rule
// decides a piece of the text top-down, trying split positions from the left
// with backtracking. Rule results depend on the piece alone, so they are
// remembered per piece: the same pieces are re-examined many times, and
// without the memo the work doubles with every further "-" of a chain.
class ExpressionRecognizer
{
public:
    ExpressionRecognizer(std::string_view text, const VariableTable &variables, const FunctionTable &functionsOne,
                         const FunctionTable &functionsTwo, bool pascalNumberformat);

    std::string_view text(Span s) const { return std::string_view(text_).substr(s.begin, s.size()); }
    Span whole() const { return Span{0, static_cast<std::uint32_t>(text_.size())}; }
    int balance(Span s) const { return prefixBalance_[s.end] - prefixBalance_[s.begin]; }

    // IsBracketed: on success *inner is the inner text with any further
    // redundant brackets removed.
    bool isBracketed(Span s, Span *inner);

    // Classifies a term's text by the first rule that accepts it, recording the
    // operand slots as the rules write them.
    Classification classify(Span s);

private:
    enum Rule : unsigned {
        kTerm,
        kBracketed,
        kNegation,
        kSum,
        kDifference,
        kProduct,
        kQuotient,
        kIntDiv,
        kModulo,
        kPower,
        kFunctionTwo,
        kNumber,
        kFunctionOne,  // decided from IsBracketed's memo; never remembered itself
        kRuleCount
    };
    static_assert(kRuleCount <= 16, "rule results are remembered in 16-bit masks");
    enum SideList : unsigned {
        kSumLeft,  // also the left side of "-"
        kSumRight,
        kDifferenceRight,  // also the right side of "*"
        kProductLeft,      // also the left side of "/", DIV, MOD
        kQuotientRight,    // also the right side of DIV, MOD
        kPowerSide,
    };
    enum CharOperator : unsigned { kPlus, kMinus, kStar, kSlash, kCaret, kComma, kOpen, kDiv, kMod, kIndexCount };

    static SideList leftListOf(Rule rule)
    {
        return rule == kSum || rule == kDifference ? kSumLeft : rule == kPower ? kPowerSide : kProductLeft;
    }
    static SideList rightListOf(Rule rule)
    {
        switch (rule) {
        case kSum:
            return kSumRight;
        case kDifference:
        case kProduct:
            return kDifferenceRight;
        case kPower:
            return kPowerSide;
        default:
            return kQuotientRight;  // "/", DIV, MOD
        }
    }

    template <typename Compute>
    bool cached(Rule rule, Span s, Compute compute);

    bool isNumber(Span s);
    bool isVariable(Span s) const { return s.size() > 0 && variables_.find(text(s)) != nullptr; }
    bool isTerm(Span s);
    bool isNonBracketTerm(Span s);
    Span deliverTerm(Span s);
    bool isNegation(Span s);
    bool isCharOperator(Rule rule, Span s);
    bool isKeywordOperator(Rule rule, Span s);
    bool isFunctionOne(Span s);
    bool isFunctionTwo(Span s);
    bool sideCheck(Span side, SideList list, Span *replaced);
    bool ruleListAccepts(Span s, SideList list);

    // Cheap necessary conditions: false means the check certainly fails.
    std::uint32_t numberViableEnd(std::uint32_t begin);
    bool mayBeNumber(Span s);
    bool mayPassRule(Rule rule, Span s) const;
    bool mayPassFunction(Span s) const;
    bool mayPassSide(Span s, SideList list);
    bool computeThrowFree() const;
    bool hasStraySign(Span s) const;
    bool hasProductOperator(Span s) const;
    std::uint32_t lastProductOperatorIn(Span s) const;
    bool passes(Rule rule, Span s);
    Classification classifyPass(Span s, bool onlyPassingRule);

    const FunctionTable::Entry *functionName(Span s, const FunctionTable &table, std::uint32_t *open) const;
    std::uint32_t next(CharOperator op, std::uint32_t from) const { return nextIndex_[op * (text_.size() + 1) + from]; }
    std::uint32_t firstOccurrence(Rule rule, Span s, std::uint32_t from) const;

    bool classifyNegation(Span s, Classification &c);
    bool classifyCharOperator(Rule rule, Span s, Classification &c, bool prune);
    bool classifyKeyword(Rule rule, Span s, Classification &c);
    bool classifyFunctionOne(Span s, Classification &c);
    bool classifyFunctionTwo(Span s, Classification &c);
    bool classifySides(Rule rule, Span left, Span right, Classification &c);

    std::string text_;
    const VariableTable &variables_;
    const FunctionTable &functionsOne_;
    const FunctionTable &functionsTwo_;
    bool pascal_;
    std::vector<int> prefixBalance_;
    std::vector<std::uint32_t> nextIndex_;  // per operator: next position >= i, or size
    // Per position i: the last "stray" sign before i at the bracket depth of i
    // (a + or - not preceded by *, /, ^, E, DIV, MOD, + or -), or kNone. Only sums
    // and differences can hold one anywhere but at their start.
    std::vector<std::uint32_t> lastStraySign_;
    // Per position i: the last *, / or first letter of DIV or MOD before i at
    // the bracket depth of i, or kNone. None can stand at the top of the
    // right side of "/", DIV, MOD or of either side of "^".
    std::vector<std::uint32_t> lastProductOperator_;
    std::vector<std::uint32_t> numberEnd_;  // per start: 1 + end of the longest number-shaped prefix, 0 = unknown
    // No piece of the text can be a literal beyond the double range, so no
    // check can raise an error and checks may be skipped in any order; and
    // the names hold no operator, so the shortcuts by operator positions
    // hold. Only then are hopeless splits ruled out before they are tried.
    bool throwFree_ = false;
    SpanMemo memo_;
    unsigned depth_ = 0;
};

}  // namespace nollard
