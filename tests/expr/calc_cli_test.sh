#!/bin/sh
# nollard-calc as support staff use it: arguments or standard input, one
# output line per expression, one component for the whole run.
# Usage: calc_cli_test.sh <path to nollard-calc>
set -u
calc="$1"
failures=0

check() { # name, expected, actual
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}

# A fresh process starts the random sequence at state 0: 1/2^32, then
# 134775814/2^32. Standard input: an empty line is the empty expression.
expected='VALUE 2.3283064365386963e-10 0.00
VALUE 0.031379939522594213 0.03
VALUE 0 0.00
VALUE 120 120.00
ERROR ESyntaxError 错误的表达式:\r2\rA1
ERROR EFloatDivideByZero Floating point division by zero'
actual=$(printf 'RANDOM(0)\nrandom(7)\n\n30*4\n2*A1\n1/0\n' | "$calc")
check "stdin lines" "$expected" "$actual"

# Arguments; tab, carriage return and backslash in a message are escaped and
# a trailing blank of the message is kept.
expected='VALUE 3.125 3.13
ERROR ESyntaxError 错误的表达式:\r1\t\r2
ERROR ESyntaxError 错误的表达式:\r\\
ERROR ESyntaxError 错误的表达式:\r\r 
ERROR EMissMatchingBracket Missing brackets in expression (")")'
actual=$("$calc" '12.5*0.25' "$(printf '1\t+2')" '\' 'SQRT()' '2*(3+')
check "arguments" "$expected" "$actual"

# Capitals: arguments and standard input, the text exactly, trailing blank kept.
expected='壹 佰 零贰 元 伍 角 
壹 拾 贰 元整
ERROR '"'"'-'"'"' is not a valid integer value
ERROR '"'"'abc'"'"' is not a valid floating point value'
actual=$("$calc" --capitals 102.50 12 -5 abc)
check "capitals arguments" "$expected" "$actual"
actual=$(printf '102.50\n12\n-5\nabc\n' | "$calc" --capitals)
check "capitals stdin" "$expected" "$actual"

[ "$failures" -eq 0 ] && echo "all calculator checks passed"
exit "$failures"
