#include "expression_recognizer.h"

#include "errors.h"
#include "number_literal.h"

#include <clocale>
#include <cmath>

namespace nollard {
namespace {

constexpr std::uint32_t kNone = ~0u;

// The rules recurse on ever shorter pieces; a text can nest them as deep as it
// is long. Beyond this depth (thousands of bytes of nested brackets, signs or
// operators) the text is reported as too complex instead of exhausting the
// stack. Nothing a fee line holds comes near it.
constexpr unsigned kMaxRecognitionDepth = 2000;

class DepthGuard
{
public:
    explicit DepthGuard(unsigned &depth) : depth_(depth)
    {
        if (++depth_ > kMaxRecognitionDepth)
            throw EExpressionTooComplex();
    }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    unsigned &depth_;
};

}  // namespace

ExpressionRecognizer::ExpressionRecognizer(std::string_view text, const VariableTable &variables,
                                           const FunctionTable &functionsOne, const FunctionTable &functionsTwo,
                                           bool pascalNumberformat)
    : text_(text), variables_(variables), functionsOne_(functionsOne), functionsTwo_(functionsTwo),
      pascal_(pascalNumberformat)
{
    const std::size_t n = text_.size();
    prefixBalance_.resize(n + 1);
    prefixBalance_[0] = 0;
    for (std::size_t i = 0; i < n; ++i)
        prefixBalance_[i + 1] = prefixBalance_[i] + (text_[i] == '(') - (text_[i] == ')');

    static constexpr char kChars[] = {'+', '-', '*', '/', '^', ',', '('};
    nextIndex_.resize(kIndexCount * (n + 1));
    for (unsigned op = 0; op < kIndexCount; ++op) {
        std::uint32_t *row = nextIndex_.data() + op * (n + 1);
        row[n] = static_cast<std::uint32_t>(n);
        for (std::size_t i = n; i-- > 0;) {
            bool hit;
            if (op == kDiv || op == kMod) {
                const char *word = op == kDiv ? "DIV" : "MOD";
                hit = i + 3 <= n && text_.compare(i, 3, word) == 0;
            } else {
                hit = text_[i] == kChars[op];
            }
            row[i] = hit ? static_cast<std::uint32_t>(i) : row[i + 1];
        }
    }
    numberEnd_.assign(n + 1, 0);
    throwFree_ = computeThrowFree() && variables.namesArePlain() && functionsOne.namesArePlain()
                 && functionsTwo.namesArePlain();

    // Depths run from -n to n.
    std::vector<std::uint32_t> lastAtDepth(2 * n + 1, kNone);
    std::vector<std::uint32_t> lastProductAtDepth(2 * n + 1, kNone);
    lastStraySign_.resize(n + 1);
    lastProductOperator_.resize(n + 1);
    for (std::size_t i = 0; i <= n; ++i) {
        const std::size_t depth = static_cast<std::size_t>(prefixBalance_[i] + static_cast<int>(n));
        lastStraySign_[i] = lastAtDepth[depth];
        lastProductOperator_[i] = lastProductAtDepth[depth];
        if (i < n
            && (text_[i] == '*' || text_[i] == '/' || text_.compare(i, 3, "DIV") == 0
                || text_.compare(i, 3, "MOD") == 0))
            lastProductAtDepth[depth] = static_cast<std::uint32_t>(i);
        if (i < n && i > 0 && (text_[i] == '+' || text_[i] == '-')) {
            const char before = text_[i - 1];
            // A sign after an operator (or after the minus of a negation, as
            // in --2^2) starts an operand; after E it is an exponent's.
            const bool exponentSign = before == 'E' && i + 1 < n && text_[i + 1] >= '0' && text_[i + 1] <= '9';
            const bool signOfOperand = before == '*' || before == '/' || before == '^' || exponentSign || before == 'V'
                                       || before == 'D' || before == '-' || before == '+';
            if (!signOfOperand)
                lastAtDepth[depth] = static_cast<std::uint32_t>(i);
        }
    }
}

// A piece accepted as a number, variable, bracketed piece, call, product,
// quotient, DIV, MOD or power holds a + or - at its own bracket depth only at
// its start or as the sign of an operand (after *, /, ^, E, DIV, MOD or a
// negation's minus). A stray sign anywhere else rules all of these out.
// The last *, / or DIV/MOD wholly inside s at its bracket depth, or kNone.
std::uint32_t ExpressionRecognizer::lastProductOperatorIn(Span s) const
{
    std::uint32_t q = lastProductOperator_[s.end];
    // A DIV or MOD cut off by the end of the piece is no operator of it.
    while (q != kNone && q >= s.begin && text_[q] != '*' && text_[q] != '/' && q + 3 > s.end)
        q = lastProductOperator_[q];
    return q != kNone && q >= s.begin ? q : kNone;
}

bool ExpressionRecognizer::hasProductOperator(Span s) const
{
    return balance(s) == 0 && lastProductOperatorIn(s) != kNone;
}

bool ExpressionRecognizer::hasStraySign(Span s) const
{
    if (balance(s) != 0)
        return false;  // such a piece fails on its balance anyway
    const std::uint32_t q = lastStraySign_[s.end];
    return q != kNone && q > s.begin;
}

// A literal overflows only with some 300 integer digits or an exponent of
// 100 or more; a text with neither cannot raise while it is recognised.
bool ExpressionRecognizer::computeThrowFree() const
{
    const std::size_t n = text_.size();
    std::size_t run = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const char c = text_[i];
        if (c >= '0' && c <= '9') {
            if (++run >= 200)
                return false;
            continue;
        }
        run = 0;
        if (c == 'E') {
            std::size_t j = i + 1;
            if (j < n && (text_[j] == '+' || text_[j] == '-'))
                ++j;
            long value = 0;
            while (j < n && text_[j] >= '0' && text_[j] <= '9') {
                value = value * 10 + (text_[j] - '0');
                if (value >= 100)
                    return false;
                ++j;
            }
        }
    }
    return true;
}

// The longest prefix from `begin` that can still grow into a number literal:
// [sign] digits [point digits] [E [sign] digits].
std::uint32_t ExpressionRecognizer::numberViableEnd(std::uint32_t begin)
{
    std::uint32_t &cached = numberEnd_[begin];
    if (cached != 0)
        return cached - 1;
    char point = '.';
    if (!pascal_) {
        const char *dp = std::localeconv()->decimal_point;
        if (dp && *dp)
            point = *dp;
    }
    enum State { kStart, kSign, kInt, kFrac, kExp, kExpSign, kExpDigits };
    State state = kStart;
    std::uint32_t i = begin;
    const auto n = static_cast<std::uint32_t>(text_.size());
    for (; i < n; ++i) {
        const char c = text_[i];
        const bool digit = c >= '0' && c <= '9';
        const bool sign = c == '+' || c == '-';
        State nextState;
        switch (state) {
        case kStart:
            if (sign) {
                nextState = kSign;
                break;
            }
            [[fallthrough]];
        case kSign:
        case kInt:
            if (digit)
                nextState = kInt;
            else if (c == point)
                nextState = kFrac;
            else if (c == 'E')
                nextState = kExp;
            else
                goto done;
            break;
        case kFrac:
            if (digit)
                nextState = kFrac;
            else if (c == 'E')
                nextState = kExp;
            else
                goto done;
            break;
        case kExp:
            if (sign)
                nextState = kExpSign;
            else if (digit)
                nextState = kExpDigits;
            else
                goto done;
            break;
        case kExpSign:
        case kExpDigits:
            if (digit)
                nextState = kExpDigits;
            else
                goto done;
            break;
        }
        state = nextState;
    }
done:
    cached = i + 1;
    return i;
}

bool ExpressionRecognizer::mayBeNumber(Span s)
{
    if (s.empty())
        return false;
    if (s.size() <= 3 && (text(s) == "PI" || text(s) == "-PI"))
        return true;
    return s.end <= numberViableEnd(s.begin);
}

bool ExpressionRecognizer::mayPassFunction(Span s) const
{
    if (s.size() < 3 || text_[s.end - 1] != ')')
        return false;
    const std::uint32_t q = next(kOpen, s.begin);
    return q > s.begin && q < s.end;
}

bool ExpressionRecognizer::mayPassRule(Rule rule, Span s) const
{
    switch (rule) {
    case kNegation:
        return s.size() >= 2 && text_[s.begin] == '-';
    case kSum:
    case kDifference:
    case kProduct:
    case kQuotient:
    case kPower: {
        const std::uint32_t start = s.begin + (rule == kDifference ? 1u : 0u);
        if (start >= s.end)
            return false;
        const std::uint32_t p0 = firstOccurrence(rule, s, start);
        if (p0 >= s.end - 1 || p0 == s.begin || balance(s) != 0)
            return false;
        if (rule == kPower && hasProductOperator(s))
            return false;
        return rule == kSum || rule == kDifference || !hasStraySign(s);
    }
    case kIntDiv:
    case kModulo:
        return firstOccurrence(rule, s, s.begin) + 3 <= s.end && balance(s) == 0 && !hasStraySign(s);
    default:
        return mayPassFunction(s) && !hasStraySign(s);
    }
}

bool ExpressionRecognizer::mayPassSide(Span s, SideList list)
{
    if (s.empty())
        return false;
    if (mayBeNumber(s) || isVariable(s) || (text_[s.begin] == '(' && text_[s.end - 1] == ')'))
        return true;
    if ((list == kQuotientRight || list == kPowerSide) && hasProductOperator(s))
        return false;  // powers and calls hold no *, /, DIV or MOD outside brackets
    if (mayPassFunction(s) && !hasStraySign(s))
        return true;
    switch (list) {
    case kSumLeft:
        return mayPassRule(kNegation, s) || mayPassRule(kDifference, s) || mayPassRule(kProduct, s)
               || mayPassRule(kIntDiv, s) || mayPassRule(kModulo, s) || mayPassRule(kQuotient, s)
               || mayPassRule(kPower, s);
    case kSumRight:
        return mayPassRule(kSum, s) || mayPassRule(kDifference, s) || mayPassRule(kProduct, s)
               || mayPassRule(kIntDiv, s) || mayPassRule(kModulo, s) || mayPassRule(kQuotient, s)
               || mayPassRule(kPower, s);
    case kDifferenceRight:
        return mayPassRule(kProduct, s) || mayPassRule(kIntDiv, s) || mayPassRule(kModulo, s)
               || mayPassRule(kQuotient, s) || mayPassRule(kPower, s);
    case kProductLeft:
        return mayPassRule(kNegation, s) || mayPassRule(kIntDiv, s) || mayPassRule(kModulo, s)
               || mayPassRule(kQuotient, s) || mayPassRule(kPower, s);
    case kQuotientRight:
        return mayPassRule(kPower, s);
    case kPowerSide:
        return false;
    }
    return true;
}

template <typename Compute>
bool ExpressionRecognizer::cached(Rule rule, Span s, Compute compute)
{
    const std::uint16_t bit = static_cast<std::uint16_t>(1u << rule);
    {
        const SpanMemo::Entry &e = memo_.at(s.begin, s.end);
        if (e.known & bit)
            return (e.value & bit) != 0;
    }
    bool result;
    {
        DepthGuard guard(depth_);
        result = compute();
    }
    SpanMemo::Entry &e = memo_.at(s.begin, s.end);  // the table may have grown meanwhile
    e.known |= bit;
    if (result)
        e.value |= bit;
    return result;
}

bool ExpressionRecognizer::isNumber(Span s)
{
    if (s.empty())
        return false;
    if (!mayBeNumber(s))
        return false;
    // Reading may raise the overflow of a literal beyond the double range,
    // at the first examination of that piece, as the rules reach it.
    return cached(kNumber, s, [&] { return ReadNumberLiteral(text(s), pascal_, nullptr); });
}

bool ExpressionRecognizer::isTerm(Span s)
{
    if (s.empty())
        return false;
    return isNonBracketTerm(s) || isBracketed(s, nullptr);
}

bool ExpressionRecognizer::isNonBracketTerm(Span s)
{
    return cached(kTerm, s, [&] {
        return isNumber(s) || isVariable(s) || isNegation(s) || isCharOperator(kSum, s)
               || isCharOperator(kDifference, s) || isCharOperator(kProduct, s) || isKeywordOperator(kIntDiv, s)
               || isKeywordOperator(kModulo, s) || isCharOperator(kQuotient, s) || isCharOperator(kPower, s)
               || isFunctionTwo(s) || isFunctionOne(s);
    });
}

Span ExpressionRecognizer::deliverTerm(Span s)
{
    // Only called for a piece that passed isTerm: either a rule accepts it as
    // it stands, or it is a bracketed piece whose inside passes.
    while (!isNonBracketTerm(s))
        s = Span{s.begin + 1, s.end - 1};
    return s;
}

bool ExpressionRecognizer::isBracketed(Span s, Span *inner)
{
    if (s.size() < 2 || text_[s.begin] != '(' || text_[s.end - 1] != ')')
        return false;
    const Span in{s.begin + 1, s.end - 1};
    bool ok;
    {
        DepthGuard guard(depth_);
        ok = isTerm(in);
    }
    if (ok && inner)
        *inner = deliverTerm(in);
    return ok;
}

bool ExpressionRecognizer::isNegation(Span s)
{
    if (s.empty() || text_[s.begin] != '-')
        return false;
    const Span rest{s.begin + 1, s.end};
    DepthGuard guard(depth_);
    return isBracketed(rest, nullptr) || isVariable(rest) || isCharOperator(kPower, rest) || isFunctionOne(rest)
           || isFunctionTwo(rest);
}

std::uint32_t ExpressionRecognizer::firstOccurrence(Rule rule, Span s, std::uint32_t from) const
{
    switch (rule) {
    case kSum:
        return next(kPlus, from);
    case kDifference:
        return next(kMinus, from);
    case kProduct:
        return next(kStar, from);
    case kQuotient:
        return next(kSlash, from);
    case kPower:
        return next(kCaret, from);
    case kIntDiv:
        return next(kDiv, from);
    case kModulo:
        return next(kMod, from);
    default:
        return s.end;
    }
}

bool ExpressionRecognizer::isCharOperator(Rule rule, Span s)
{
    // A leading "-" is never a split point: the search for "-" starts at the
    // second character. The first occurrence alone decides step 2: one at the
    // first or last character (or none) fails the rule outright.
    const std::uint32_t start = s.begin + (rule == kDifference ? 1u : 0u);
    if (start >= s.end)
        return false;
    const std::uint32_t p0 = firstOccurrence(rule, s, start);
    if (p0 >= s.end - 1 || p0 == s.begin)
        return false;
    // Every split of an unbalanced piece has an unbalanced side: no side is examined.
    if (balance(s) != 0)
        return false;
    std::uint32_t from0 = start;
    if (throwFree_) {
        if (rule != kSum && rule != kDifference && hasStraySign(s))
            return false;
        // The right side of "-" holds no stray sign but at its start: splits
        // left of the last stray sign cannot succeed.
        if (rule == kDifference) {
            const std::uint32_t q = lastStraySign_[s.end];
            if (q != kNone && q > s.begin && q - 1 > from0)
                from0 = q - 1;
        }
        // Likewise the right side of "/" holds no *, /, DIV or MOD, and
        // neither side of "^" does.
        if (rule == kPower && hasProductOperator(s))
            return false;
        if (rule == kQuotient) {
            const std::uint32_t q = lastProductOperatorIn(s);
            if (q != kNone && q > from0)
                from0 = q;
        }
    }
    return cached(rule, s, [&] {
        const SideList leftList = leftListOf(rule);
        const SideList rightList = rightListOf(rule);
        std::uint32_t from = from0;
        for (;;) {
            const std::uint32_t p = firstOccurrence(rule, s, from);
            if (p >= s.end - 1 || p == s.begin)
                return false;
            const Span left{s.begin, p};
            const Span right{p + 1, s.end};
            from = p + 1;
            if (balance(left) != 0 || balance(right) != 0)
                continue;
            // Without possible errors the order of the checks is free: rule
            // out hopeless sides cheaply before asking the memo.
            if (throwFree_ && (!mayPassSide(right, rightList) || !mayPassSide(left, leftList)))
                continue;
            if (sideCheck(left, leftList, nullptr) && sideCheck(right, rightList, nullptr))
                return true;
        }
    });
}

bool ExpressionRecognizer::isKeywordOperator(Rule rule, Span s)
{
    const std::uint32_t n0 = firstOccurrence(rule, s, s.begin);
    if (n0 + 3 > s.end || balance(s) != 0 || (throwFree_ && hasStraySign(s)))
        return false;
    std::uint32_t from0 = s.begin;
    if (throwFree_) {
        const std::uint32_t q = lastProductOperatorIn(s);
        if (q != kNone && q > from0)
            from0 = q;  // the right side holds no *, /, DIV or MOD
    }
    return cached(rule, s, [&] {
        std::uint32_t from = from0;
        for (;;) {
            const std::uint32_t n = firstOccurrence(rule, s, from);
            if (n + 3 > s.end)
                return false;
            // Unlike the character operators, an occurrence at the first
            // character does not end the search.
            if (n > s.begin) {
                const Span left{s.begin, n};
                const Span right{n + 3, s.end};
                if (balance(left) == 0 && balance(right) == 0
                    && (!throwFree_ || (mayPassSide(right, kQuotientRight) && mayPassSide(left, kProductLeft)))
                    && sideCheck(left, kProductLeft, nullptr) && sideCheck(right, kQuotientRight, nullptr))
                    return true;
            }
            from = n + 1;
        }
    });
}

const FunctionTable::Entry *ExpressionRecognizer::functionName(Span s, const FunctionTable &table,
                                                               std::uint32_t *open) const
{
    const std::uint32_t q = next(kOpen, s.begin);
    if (q >= s.end || q == s.begin)
        return nullptr;
    *open = q;
    return table.find(text(Span{s.begin, q}));
}

bool ExpressionRecognizer::isFunctionOne(Span s)
{
    std::uint32_t open = 0;
    if (!functionName(s, functionsOne_, &open))
        return false;
    return isBracketed(Span{open, s.end}, nullptr);
}

bool ExpressionRecognizer::isFunctionTwo(Span s)
{
    std::uint32_t open = 0;
    if (s.empty() || text_[s.end - 1] != ')' || !functionName(s, functionsTwo_, &open))
        return false;
    return cached(kFunctionTwo, s, [&] {
        // SplitArguments: commas as the character operators find them; both
        // parts must pass the general check, which also rejects an unbalanced part.
        const Span inner{open + 1, s.end - 1};
        std::uint32_t from = inner.begin;
        for (;;) {
            const std::uint32_t p = next(kComma, from);
            if (inner.empty() || p >= inner.end - 1 || p == inner.begin)
                return false;
            if (isTerm(Span{inner.begin, p}) && isTerm(Span{p + 1, inner.end}))
                return true;
            from = p + 1;
        }
    });
}

bool ExpressionRecognizer::ruleListAccepts(Span s, SideList list)
{
    switch (list) {
    case kSumLeft:
        return isNegation(s) || isCharOperator(kDifference, s) || isCharOperator(kProduct, s)
               || isKeywordOperator(kIntDiv, s) || isKeywordOperator(kModulo, s) || isCharOperator(kQuotient, s)
               || isCharOperator(kPower, s) || isFunctionOne(s) || isFunctionTwo(s);
    case kSumRight:
        return isCharOperator(kSum, s) || isCharOperator(kDifference, s) || isCharOperator(kProduct, s)
               || isKeywordOperator(kIntDiv, s) || isKeywordOperator(kModulo, s) || isCharOperator(kQuotient, s)
               || isCharOperator(kPower, s) || isFunctionOne(s) || isFunctionTwo(s);
    case kDifferenceRight:
        return isCharOperator(kProduct, s) || isKeywordOperator(kIntDiv, s) || isKeywordOperator(kModulo, s)
               || isCharOperator(kQuotient, s) || isCharOperator(kPower, s) || isFunctionOne(s) || isFunctionTwo(s);
    case kProductLeft:
        return isNegation(s) || isKeywordOperator(kIntDiv, s) || isKeywordOperator(kModulo, s)
               || isCharOperator(kQuotient, s) || isCharOperator(kPower, s) || isFunctionOne(s) || isFunctionTwo(s);
    case kQuotientRight:
        return isCharOperator(kPower, s) || isFunctionOne(s) || isFunctionTwo(s);
    case kPowerSide:
        return isFunctionOne(s) || isFunctionTwo(s);
    }
    return false;
}

bool ExpressionRecognizer::sideCheck(Span side, SideList list, Span *replaced)
{
    if (isNumber(side) || isVariable(side))
        return true;
    Span inner;
    if (isBracketed(side, &inner)) {
        if (replaced)
            *replaced = inner;
        return true;
    }
    return ruleListAccepts(side, list);
}

// --- Classification of a term, recording the operand slots ---

Classification ExpressionRecognizer::classify(Span s)
{
    // When no check can raise, find the accepting rule with the remembered
    // results and record only its split; the full recording pass, which
    // tries every split of every rule, is needed for the syntax error only.
    if (throwFree_) {
        Classification c = classifyPass(s, true);
        if (c.accepted)
            return c;
    }
    return classifyPass(s, false);
}

bool ExpressionRecognizer::passes(Rule rule, Span s)
{
    switch (rule) {
    case kNegation:
        return isNegation(s);
    case kIntDiv:
    case kModulo:
        return isKeywordOperator(rule, s);
    case kFunctionTwo:
        return isFunctionTwo(s);
    case kFunctionOne:
        return isFunctionOne(s);
    default:
        return isCharOperator(rule, s);
    }
}

Classification ExpressionRecognizer::classifyPass(Span s, bool onlyPassingRule)
{
    Classification c;
    c.accepted = true;
    if (isNumber(s)) {
        c.kind = OperationKind::opConstant;
        ReadNumberLiteral(text(s), pascal_, &c.constant);
        return c;
    }
    if (double *var = s.empty() ? nullptr : variables_.find(text(s))) {
        c.kind = OperationKind::opVariable;
        c.variable = var;
        return c;
    }
    struct Step
    {
        Rule rule;
        OperationKind kind;
    };
    static constexpr Step kSteps[] = {
        {kNegation, OperationKind::opNegate},       {kSum, OperationKind::opAdd},
        {kDifference, OperationKind::opSubtract},   {kProduct, OperationKind::opMultiply},
        {kIntDiv, OperationKind::opIntDiv},         {kModulo, OperationKind::opModulo},
        {kQuotient, OperationKind::opDivide},       {kPower, OperationKind::opRealPower},
        {kFunctionOne, OperationKind::opFunction1}, {kFunctionTwo, OperationKind::opFunction2},
    };
    for (const Step &step : kSteps) {
        if (onlyPassingRule && !passes(step.rule, s))
            continue;
        bool ok;
        switch (step.rule) {
        case kNegation:
            ok = classifyNegation(s, c);
            break;
        case kIntDiv:
        case kModulo:
            ok = classifyKeyword(step.rule, s, c);
            break;
        case kFunctionOne:
            ok = classifyFunctionOne(s, c);
            break;
        case kFunctionTwo:
            ok = classifyFunctionTwo(s, c);
            break;
        default:
            ok = classifyCharOperator(step.rule, s, c, onlyPassingRule);
            break;
        }
        if (ok) {
            if (step.rule != kPower)
                c.kind = step.kind;  // classifySides chose the kind of a power
            return c;
        }
    }
    c.accepted = false;
    return c;
}

bool ExpressionRecognizer::classifyNegation(Span s, Classification &c)
{
    if (s.empty() || text_[s.begin] != '-')
        return false;
    const Span rest{s.begin + 1, s.end};
    c.left = rest;
    c.leftWritten = true;
    Span inner;
    if (isBracketed(rest, &inner)) {
        c.left = inner;
        return true;
    }
    return isVariable(rest) || isCharOperator(kPower, rest) || isFunctionOne(rest) || isFunctionTwo(rest);
}

bool ExpressionRecognizer::classifyCharOperator(Rule rule, Span s, Classification &c, bool prune)
{
    std::uint32_t from = s.begin + (rule == kDifference ? 1u : 0u);
    if (from >= s.end)
        return false;
    if (prune && rule == kDifference) {
        const std::uint32_t q = lastStraySign_[s.end];
        if (q != kNone && q > s.begin && q - 1 > from)
            from = q - 1;
    }
    for (;;) {
        const std::uint32_t p = firstOccurrence(rule, s, from);
        if (p >= s.end - 1 || p == s.begin)
            return false;
        const Span left{s.begin, p};
        const Span right{p + 1, s.end};
        bool balanced = balance(left) == 0 && balance(right) == 0;
        if (prune && balanced && (!mayPassSide(right, rightListOf(rule)) || !mayPassSide(left, leftListOf(rule)))) {
            from = p + 1;
            continue;  // certainly fails; only the accepted split is recorded
        }
        if (rule != kSum || balanced) {
            c.left = left;
            c.leftWritten = true;
        }
        c.right = right;
        c.rightWritten = true;
        if (balanced && classifySides(rule, left, right, c))
            return true;
        from = p + 1;
    }
}

bool ExpressionRecognizer::classifyKeyword(Rule rule, Span s, Classification &c)
{
    std::uint32_t from = s.begin;
    for (;;) {
        const std::uint32_t n = firstOccurrence(rule, s, from);
        if (n + 3 > s.end)
            return false;
        if (n > s.begin) {
            const Span left{s.begin, n};
            const Span right{n + 3, s.end};
            c.left = left;
            c.right = right;
            c.leftWritten = c.rightWritten = true;
            if (balance(left) == 0 && balance(right) == 0 && classifySides(rule, left, right, c))
                return true;
        }
        from = n + 1;
    }
}

bool ExpressionRecognizer::classifySides(Rule rule, Span left, Span right, Classification &c)
{
    const SideList leftList = leftListOf(rule);
    const SideList rightList = rightListOf(rule);
    Span inner{~0u, ~0u};
    if (!sideCheck(left, leftList, &inner))
        return false;
    if (inner.begin != ~0u)
        c.left = inner;
    inner = Span{~0u, ~0u};
    if (!sideCheck(right, rightList, &inner))
        return false;
    if (inner.begin != ~0u)
        c.right = inner;
    if (rule == kPower) {
        // A literal exponent picks the kind: whole numbers within the 32-bit
        // range give the integer power (2, 3 and 4 their own kinds); anything
        // else, including a bracketed or variable exponent, the general power.
        c.kind = OperationKind::opRealPower;
        double v = 0.0;
        if (inner.begin == ~0u && isNumber(right)) {
            ReadNumberLiteral(text(right), pascal_, &v);
            if (v >= -2147483648.0 && v <= 2147483647.0 && std::trunc(v) == v) {
                c.kind = v == 2.0   ? OperationKind::opSquare
                         : v == 3.0 ? OperationKind::opCube
                         : v == 4.0 ? OperationKind::opFourthPower
                                    : OperationKind::opIntPower;
            }
        }
    }
    return true;
}

bool ExpressionRecognizer::classifyFunctionOne(Span s, Classification &c)
{
    std::uint32_t open = 0;
    const FunctionTable::Entry *entry = functionName(s, functionsOne_, &open);
    if (!entry || text_[s.end - 1] != ')' || open + 1 >= s.end)
        return false;
    c.left = Span{open + 1, s.end - 1};
    c.leftWritten = true;
    Span inner;
    if (!isBracketed(Span{open, s.end}, &inner))
        return false;
    c.left = inner;
    c.function = entry;
    return true;
}

bool ExpressionRecognizer::classifyFunctionTwo(Span s, Classification &c)
{
    std::uint32_t open = 0;
    if (s.empty() || text_[s.end - 1] != ')')
        return false;
    const FunctionTable::Entry *entry = functionName(s, functionsTwo_, &open);
    if (!entry)
        return false;
    const Span inner{open + 1, s.end - 1};
    std::uint32_t from = inner.begin;
    for (;;) {
        const std::uint32_t p = next(kComma, from);
        if (inner.empty() || p >= inner.end - 1 || p == inner.begin)
            return false;
        const Span first{inner.begin, p};
        const Span second{p + 1, inner.end};
        c.left = first;
        c.leftWritten = true;
        if (isTerm(first)) {
            c.left = deliverTerm(first);
            c.right = second;
            c.rightWritten = true;
            if (isTerm(second)) {
                c.right = deliverTerm(second);
                c.function = entry;
                return true;
            }
        }
        from = p + 1;
    }
}

}  // namespace nollard
