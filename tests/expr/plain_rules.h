#pragma once

// The recognition rules as plainly written, tried one after another without
// memo or shortcut (exponential: for short texts only), and the readings of
// both this version and the engine's recognizer as comparable text.

#include "expr/errors.h"
#include "expr/expression_recognizer.h"
#include "expr/number_literal.h"
#include "expr/parser.h"

#include <cmath>
#include <set>
#include <string>

namespace plain {

using nollard::OperationKind;

struct Slots
{
    std::string left = " ";
    std::string right = " ";
    bool written = false;
};

class PlainRules
{
public:
    enum class List { SumLeft, SumRight, DifferenceRight, ProductLeft, QuotientRight, PowerSide };

    bool number(const std::string &t) { return nollard::ReadNumberLiteral(t, true, nullptr); }
    bool variable(const std::string &t)
    {
        return t.size() == 1 && std::string("ABCDEXYT").find(t[0]) != std::string::npos;
    }
    static int balance(const std::string &t)
    {
        int b = 0;
        for (char c : t)
            b += (c == '(') - (c == ')');
        return b;
    }

    bool bracketed(const std::string &t, std::string *inner)
    {
        if (t.size() < 2 || t.front() != '(' || t.back() != ')')
            return false;
        std::string in = t.substr(1, t.size() - 2);
        if (!term(in))
            return false;
        if (inner)
            *inner = in;
        return true;
    }

    bool term(std::string &t)
    {
        if (t.empty())
            return false;
        if (number(t) || variable(t) || negation(t, nullptr) || charOp('+', t, nullptr) || charOp('-', t, nullptr)
            || charOp('*', t, nullptr) || keyword("DIV", t, nullptr) || keyword("MOD", t, nullptr)
            || charOp('/', t, nullptr) || charOp('^', t, nullptr) || f2(t, nullptr) || f1(t, nullptr))
            return true;
        std::string in;
        if (bracketed(t, &in)) {
            t = in;
            return true;
        }
        return false;
    }

    bool negation(const std::string &t, Slots *rec)
    {
        if (t.empty() || t[0] != '-')
            return false;
        const std::string rest = t.substr(1);
        if (rec) {
            rec->left = rest;
            rec->written = true;
        }
        std::string in;
        if (bracketed(rest, &in)) {
            if (rec)
                rec->left = in;
            return true;
        }
        return variable(rest) || charOp('^', rest, nullptr) || f1(rest, nullptr) || f2(rest, nullptr);
    }

    bool listRule(const std::string &t, List list)
    {
        auto neg = [&] { return negation(t, nullptr); };
        auto op = [&](char c) { return charOp(c, t, nullptr); };
        auto kw = [&](const char *w) { return keyword(w, t, nullptr); };
        auto fn = [&] { return f1(t, nullptr) || f2(t, nullptr); };
        switch (list) {
        case List::SumLeft:
            return neg() || op('-') || op('*') || kw("DIV") || kw("MOD") || op('/') || op('^') || fn();
        case List::SumRight:
            return op('+') || op('-') || op('*') || kw("DIV") || kw("MOD") || op('/') || op('^') || fn();
        case List::DifferenceRight:
            return op('*') || kw("DIV") || kw("MOD") || op('/') || op('^') || fn();
        case List::ProductLeft:
            return neg() || kw("DIV") || kw("MOD") || op('/') || op('^') || fn();
        case List::QuotientRight:
            return op('^') || fn();
        case List::PowerSide:
            return fn();
        }
        return false;
    }

    bool side(std::string &s, List list)
    {
        if (number(s) || variable(s))
            return true;
        std::string in;
        if (bracketed(s, &in)) {
            s = in;
            return true;
        }
        return listRule(s, list);
    }

    static List leftList(char op)
    {
        return op == '+' || op == '-' ? List::SumLeft : op == '^' ? List::PowerSide : List::ProductLeft;
    }
    static List rightList(char op)
    {
        switch (op) {
        case '+':
            return List::SumRight;
        case '-':
        case '*':
            return List::DifferenceRight;
        case '^':
            return List::PowerSide;
        default:
            return List::QuotientRight;
        }
    }

    bool charOp(char op, const std::string &t, Slots *rec, std::string *rightOut = nullptr,
                bool *rightIsNumber = nullptr)
    {
        const std::size_t len = t.size();
        std::size_t pos = op == '-' ? 2 : 1;
        for (;;) {
            const std::size_t idx = pos - 1 < len ? t.find(op, pos - 1) : std::string::npos;
            const std::size_t p = idx == std::string::npos ? len : idx + 1;
            if (p <= 1 || p >= len)
                return false;
            std::string left = t.substr(0, p - 1);
            std::string right = t.substr(p);
            const bool balanced = balance(left) == 0 && balance(right) == 0;
            if (rec) {
                if (op != '+' || balanced)
                    rec->left = left;
                rec->right = right;
                rec->written = true;
            }
            if (balanced && side(left, leftList(op))) {
                if (rec)
                    rec->left = left;
                const bool isNumber = number(right);
                if (side(right, rightList(op))) {
                    if (rec)
                        rec->right = right;
                    if (rightOut)
                        *rightOut = right;
                    if (rightIsNumber)
                        *rightIsNumber = isNumber;
                    return true;
                }
            }
            pos = p + 1;
        }
    }

    bool keyword(const char *word, const std::string &t, Slots *rec)
    {
        const std::size_t len = t.size();
        std::size_t from = 0;
        for (;;) {
            const std::size_t idx = t.find(word, from);
            if (idx == std::string::npos)
                return false;
            const std::size_t n = idx + 1;
            if (n > 1 && n < len) {
                std::string left = t.substr(0, n - 1);
                std::string right = t.substr(n + 2);
                if (rec) {
                    rec->left = left;
                    rec->right = right;
                    rec->written = true;
                }
                if (balance(left) == 0 && balance(right) == 0 && side(left, List::ProductLeft)) {
                    if (rec)
                        rec->left = left;
                    if (side(right, List::QuotientRight)) {
                        if (rec)
                            rec->right = right;
                        return true;
                    }
                }
            }
            from = idx + 1;
        }
    }

    bool f1(const std::string &t, Slots *rec)
    {
        static const std::set<std::string> names = {
            "TAN",  "SIN", "COS",   "SINH", "COSH", "ARCTAN", "COTAN", "EXP",  "LN",   "LOG10", "LOG2", "SQR",
            "SQRT", "ABS", "TRUNC", "INT",  "CEIL", "FLOOR",  "HEAV",  "SIGN", "ZERO", "PH",    "RND",  "RANDOM"};
        const std::size_t k = t.find('(');
        if (k == std::string::npos || k == 0 || !names.count(t.substr(0, k)))
            return false;
        const std::string rest = t.substr(k);
        if (rec && rest.size() >= 2 && rest.back() == ')') {
            rec->left = rest.substr(1, rest.size() - 2);
            rec->written = true;
        }
        std::string in;
        if (!bracketed(rest, &in))
            return false;
        if (rec)
            rec->left = in;
        return true;
    }

    bool f2(const std::string &t, Slots *rec)
    {
        static const std::set<std::string> names = {"ARG", "MAX", "MIN", "POWER", "INTPOWER", "LOGN"};
        const std::size_t k = t.find('(');
        if (k == std::string::npos || k == 0 || t.back() != ')' || !names.count(t.substr(0, k)))
            return false;
        const std::string inner = t.substr(k + 1, t.size() - k - 2);
        const std::size_t len = inner.size();
        std::size_t pos = 1;
        for (;;) {
            const std::size_t idx = pos - 1 < len ? inner.find(',', pos - 1) : std::string::npos;
            const std::size_t p = idx == std::string::npos ? len : idx + 1;
            if (p <= 1 || p >= len)
                return false;
            std::string first = inner.substr(0, p - 1);
            std::string second = inner.substr(p);
            if (rec) {
                rec->left = first;
                rec->written = true;
            }
            if (term(first)) {
                if (rec) {
                    rec->left = first;
                    rec->right = second;
                }
                if (term(second)) {
                    if (rec)
                        rec->right = second;
                    return true;
                }
            }
            pos = p + 1;
        }
    }

    // Classification by the first accepting rule, with the recorded slots.
    struct Reading
    {
        bool accepted = false;
        OperationKind kind = OperationKind::opConstant;
        Slots slots;
    };

    Reading classify(const std::string &t)
    {
        Reading r;
        r.accepted = true;
        if (number(t)) {
            r.kind = OperationKind::opConstant;
            return r;
        }
        if (variable(t)) {
            r.kind = OperationKind::opVariable;
            return r;
        }
        Slots &s = r.slots;
        if (negation(t, &s)) {
            r.kind = OperationKind::opNegate;
            return r;
        }
        struct Op
        {
            char c;
            OperationKind kind;
        };
        for (Op op :
             {Op{'+', OperationKind::opAdd}, Op{'-', OperationKind::opSubtract}, Op{'*', OperationKind::opMultiply}}) {
            if (charOp(op.c, t, &s)) {
                r.kind = op.kind;
                return r;
            }
        }
        if (keyword("DIV", t, &s)) {
            r.kind = OperationKind::opIntDiv;
            return r;
        }
        if (keyword("MOD", t, &s)) {
            r.kind = OperationKind::opModulo;
            return r;
        }
        if (charOp('/', t, &s)) {
            r.kind = OperationKind::opDivide;
            return r;
        }
        std::string exponent;
        bool literal = false;
        if (charOp('^', t, &s, &exponent, &literal)) {
            r.kind = OperationKind::opRealPower;
            if (literal) {
                double v = 0;
                nollard::ReadNumberLiteral(exponent, true, &v);
                if (v >= -2147483648.0 && v <= 2147483647.0 && std::trunc(v) == v)
                    r.kind = v == 2   ? OperationKind::opSquare
                             : v == 3 ? OperationKind::opCube
                             : v == 4 ? OperationKind::opFourthPower
                                      : OperationKind::opIntPower;
            }
            return r;
        }
        if (f1(t, &s)) {
            r.kind = OperationKind::opFunction1;
            return r;
        }
        if (f2(t, &s)) {
            r.kind = OperationKind::opFunction2;
            return r;
        }
        r.accepted = false;
        return r;
    }
};

inline bool IsBinary(OperationKind k)
{
    return k == OperationKind::opAdd || k == OperationKind::opSubtract || k == OperationKind::opMultiply
           || k == OperationKind::opDivide || k == OperationKind::opModulo || k == OperationKind::opIntDiv
           || k == OperationKind::opIntPower || k == OperationKind::opRealPower || k == OperationKind::opFunction2;
}

// What a reading amounts to, as text, for comparison.
inline std::string Describe(bool accepted, OperationKind kind, const std::string &left, const std::string &right)
{
    if (!accepted)
        return "rejected [" + left + "] [" + right + "]";
    std::string out = "kind " + std::to_string(static_cast<int>(kind));
    if (kind != OperationKind::opConstant && kind != OperationKind::opVariable)
        out += " [" + left + "]";
    if (IsBinary(kind) && kind != OperationKind::opIntPower)
        out += " [" + right + "]";
    return out;
}

inline std::string PlainReading(const std::string &text)
{
    try {
        PlainRules rules;
        const PlainRules::Reading r = rules.classify(text);
        return Describe(r.accepted, r.kind, r.slots.left, r.slots.right);
    } catch (const nollard::EFloatOverflow &) {
        return "overflow";
    }
}

inline std::string RecognizerReading(const std::string &text)
{
    struct Tables : nollard::TParser
    {
        using TParser::functionsOne;
        using TParser::functionsTwo;
        using TParser::variables;
    } tables;
    try {
        nollard::ExpressionRecognizer rec(text, tables.variables(), tables.functionsOne(), tables.functionsTwo(), true);
        const nollard::Classification c = rec.classify(rec.whole());
        const std::string left = c.leftWritten ? std::string(rec.text(c.left)) : " ";
        const std::string right = c.rightWritten ? std::string(rec.text(c.right)) : " ";
        return Describe(c.accepted, c.kind, left, right);
    } catch (const nollard::EFloatOverflow &) {
        return "overflow";
    }
}
}  // namespace plain
