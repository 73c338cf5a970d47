// Compile and evaluation times of the expression engine beside Debian's
// muparser on the same arithmetic, for the calculation steps clerks type and
// for the worst cases of the recognition rules. Prints one table with the
// ratios (ours / muparser; below 1 is faster).
//
// Each figure is the best of several batches of repeated runs, in nanoseconds
// per run. Not a test: it reports, it asserts nothing.

#include "expr/parser.h"

#include <muParser.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Case
{
    std::string label;
    std::string ours;
    std::string muparser;  // empty when muparser has no such operator
};

std::string Join(const char *op, int terms, bool counting)
{
    std::string out = "1";
    for (int i = 1; i < terms; ++i)
        out += op + (counting ? std::to_string(i + 1) : std::string("1"));
    return out;
}

std::string NestedGroups(int groups)
{
    std::string out;
    for (int i = 0; i < groups; ++i)
        out += "1+(";
    out += "1";
    out.append(static_cast<std::size_t>(groups), ')');
    return out;
}

// The longest text a fee line's description holds (255 bytes) as a chain of
// "-": the slowest shape for the rules, rejected when building (21 levels).
std::string LongestMinusChain()
{
    std::string out = "1";
    while (out.size() + 2 <= 255)
        out += "-1";
    return out;
}

// 255 bytes that compile: a sum of 19 products of decimals, closed by a term
// of padding digits.
std::string LongestCompiling()
{
    std::string out = "123.45*6.789";
    for (int i = 1; i < 19; ++i)
        out += "+123.45*6.789";
    out += "+";
    while (out.size() < 255)
        out += "1";
    return out;
}

// MAX(1,MAX(1,...MAX(1,1)...)): each call one level deeper.
std::string NestedMax(int calls, const char *name)
{
    std::string out;
    for (int i = 0; i < calls; ++i)
        out += std::string(name) + "(1,";
    out += "1";
    out.append(static_cast<std::size_t>(calls), ')');
    return out;
}

double NanosPerRun(const std::function<void()> &run)
{
    using Clock = std::chrono::steady_clock;
    // Calibrate a batch to about 10 ms, then keep the best of 7 batches.
    long iterations = 1;
    for (;;) {
        const auto start = Clock::now();
        for (long i = 0; i < iterations; ++i)
            run();
        const auto elapsed = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        if (elapsed > 1e7 || iterations > (1L << 30))
            break;
        iterations *= 2;
    }
    double best = 1e300;
    for (int batch = 0; batch < 7; ++batch) {
        const auto start = Clock::now();
        for (long i = 0; i < iterations; ++i)
            run();
        const auto elapsed = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        best = std::min(best, elapsed / static_cast<double>(iterations));
    }
    return best;
}

volatile double g_sink;

struct Row
{
    std::string label;
    double compile = 0, muCompile = 0, eval = 0, muEval = 0;
    std::string note;
};

Row Measure(const Case &c, double x)
{
    Row row;
    row.label = c.label;
    nollard::TParser ours;
    ours.X = x;
    bool compiles = true;
    try {
        ours.SetExpression(c.ours);
    } catch (const std::exception &e) {
        compiles = false;
        row.note = e.what();
    }
    row.compile = NanosPerRun([&] {
        try {
            ours.SetExpression(c.ours);
        } catch (const nollard::EMathParserError &) {
        }
    });
    if (compiles)
        row.eval = NanosPerRun([&] { g_sink = static_cast<double>(ours.Value()); });

    if (!c.muparser.empty()) {
        mu::Parser mp;
        double mx = x;
        mp.DefineVar("X", &mx);
        row.muCompile = NanosPerRun([&] {
            mp.SetExpr(c.muparser);
            g_sink = mp.Eval();  // muparser reads the text at the first evaluation
        });
        mp.SetExpr(c.muparser);
        g_sink = mp.Eval();
        row.muEval = NanosPerRun([&] { g_sink = mp.Eval(); });
        const double a = compiles ? static_cast<double>(ours.Value()) : 0.0;
        const double b = mp.Eval();
        if (compiles && a != b) {
            // Our sums group to the right (a+(b+c)), muparser's to the left.
            char buf[96];
            std::snprintf(buf, sizeof buf, "values %.17g vs %.17g", a, b);
            row.note += buf;
        }
    }
    return row;
}

void Print(const char *title, const std::vector<Row> &rows)
{
    std::printf("\n%s\n", title);
    std::printf("| %-34s | %10s | %10s | %6s | %8s | %8s | %6s |\n", "expression", "compile ns", "mu parse ns", "ratio",
                "eval ns", "mu eval", "ratio");
    std::printf("|%s|%s|%s|%s|%s|%s|%s|\n", std::string(36, '-').c_str(), std::string(12, '-').c_str(),
                std::string(12, '-').c_str(), std::string(8, '-').c_str(), std::string(10, '-').c_str(),
                std::string(10, '-').c_str(), std::string(8, '-').c_str());
    for (const Row &r : rows) {
        auto num = [](double v, int prec) {
            char buf[32];
            if (v == 0)
                return std::string("-");
            std::snprintf(buf, sizeof buf, "%.*f", prec, v);
            return std::string(buf);
        };
        auto ratio = [&](double a, double b) { return a == 0 || b == 0 ? std::string("-") : num(a / b, 2); };
        std::printf("| %-34s | %10s | %11s | %6s | %8s | %8s | %6s |%s\n", r.label.c_str(), num(r.compile, 0).c_str(),
                    num(r.muCompile, 0).c_str(), ratio(r.compile, r.muCompile).c_str(), num(r.eval, 1).c_str(),
                    num(r.muEval, 1).c_str(), ratio(r.eval, r.muEval).c_str(),
                    r.note.empty() ? "" : (" " + r.note.substr(0, 60)).c_str());
    }
}

}  // namespace

int main()
{
    const std::string sum21 = Join("+", 21, true);
    const std::vector<Case> typical = {
        {"30*4", "30*4", "30*4"},
        {"12.5*0.25", "12.5*0.25", "12.5*0.25"},
        {"2*(3+4)*5", "2*(3+4)*5", "2*(3+4)*5"},
        {"MAX(1,2)*3", "MAX(1,2)*3", "max(1,2)*3"},
        {"SQRT(16)+1", "SQRT(16)+1", "sqrt(16)+1"},
        {"7DIV2", "7DIV2", ""},
        {"1.5*3+20*2-10/4", "1.5*3+20*2-10/4", "1.5*3+20*2-10/4"},
        {"1+2+...+21 (21-term sum)", sum21, sum21},
    };
    const std::string minus21 = Join("-", 21, true);
    const std::string nested20 = NestedGroups(20);
    const std::string longest = LongestMinusChain();
    const std::string longestOk = LongestCompiling();
    const std::vector<Case> worst = {
        {"1-2-...-21 (21-term chain of -)", minus21, minus21},
        {"1+(1+(...1)) (20 nested groups)", nested20, nested20},
        {"1-1-...-1 (255 bytes)", longest, longest},
        {"sum of products (255 bytes)", longestOk, longestOk},
    };
    // Other shapes of the longest description that make the rules try many
    // splits: none may take much longer than the chain of "-".
    auto fill = [](const std::string &head, const std::string &unit) {
        std::string out = head;
        while (out.size() + unit.size() <= 255)
            out += unit;
        return out;
    };
    const std::vector<Case> shapes = {
        {"1/1/.../1 (255 bytes)", fill("1", "/1"), fill("1", "/1")},
        {"1DIV1DIV...1 (255 bytes)", fill("1", "DIV1"), ""},
        {"1*1-1*1-... (255 bytes)", fill("1", "*1-1"), fill("1", "*1-1")},
        {"1--1--... (255 bytes)", fill("1", "--1"), ""},
        {"E-E-...-E (255 bytes)", fill("E", "-E"), ""},
        {"MAX(1,MAX(1,...)) (253 bytes)", NestedMax(36, "MAX"), NestedMax(36, "max")},
    };

    // With a variable the value cannot be computed in advance: every read
    // runs the operations.
    const std::vector<Case> withVariable = {
        {"X*4", "X*4", "X*4"},
        {"2*(X+4)*5", "2*(X+4)*5", "2*(X+4)*5"},
        {"1.5*X+20*X-10/X", "1.5*X+20*X-10/X", "1.5*X+20*X-10/X"},
        {"X+2+...+21 (21-term sum)", "X" + sum21.substr(1), "X" + sum21.substr(1)},
    };

    std::vector<Row> rows;
    for (const Case &c : typical)
        rows.push_back(Measure(c, 3.0));
    Print("Typical calculation steps", rows);
    rows.clear();
    for (const Case &c : worst)
        rows.push_back(Measure(c, 3.0));
    Print("Worst cases of the recognition rules", rows);
    rows.clear();
    for (const Case &c : shapes)
        rows.push_back(Measure(c, 3.0));
    Print("Other worst shapes of the longest description", rows);
    rows.clear();
    for (const Case &c : withVariable)
        rows.push_back(Measure(c, 3.0));
    Print("Steps reading a variable", rows);
    return 0;
}
