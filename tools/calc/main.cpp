// nollard-calc: shows how the engine reads calculation steps, one line of
// output per expression, for support staff checking a fee line.
//
//   nollard-calc [EXPRESSION...]          expressions, or one per line on stdin
//   nollard-calc --capitals [AMOUNT...]   amounts in capital numerals
//
// Output: "VALUE <%.17g> <two-decimal amount text>" or
// "ERROR <class name> <message>"; with --capitals the text or "ERROR <message>".
// Messages are kept on one line: CR, LF, tab and backslash are written as
// \r, \n, \t and \\.

#include "calc_output.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    std::vector<std::string> inputs;
    bool capitals = false;
    bool optionsDone = false;
    bool fromArguments = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsDone && arg == "--capitals") {
            capitals = true;
            continue;
        }
        if (!optionsDone && arg == "--") {
            optionsDone = true;
            continue;
        }
        if (!optionsDone && arg == "--help") {
            std::cout << "usage: nollard-calc [--capitals] [--] [TEXT...]\n"
                         "Reads the texts from the arguments, or one per line from standard input.\n";
            return 0;
        }
        inputs.push_back(arg);
        fromArguments = true;
    }

    nollard::calc::Calculator calculator;
    auto handle = [&](const std::string &text) {
        const std::string line = capitals ? calculator.capitalsLine(text) : calculator.expressionLine(text);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    };
    if (fromArguments) {
        for (const std::string &text : inputs)
            handle(text);
    } else {
        std::string line;
        while (std::getline(std::cin, line))
            handle(line);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
