#!/bin/sh
# Builds the expression fuzz target with clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, then runs it briefly: every saved corpus
# input once, and a bounded random session grown from the corpus. Any crash,
# leak or undefined-behaviour report fails the script.
#
# Usage: run-fuzz.sh [work dir]   (CXX_FUZZ selects the compiler, default clang++-14)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
src="$here/../../../src"
work="${1:-${TMPDIR:-/tmp}/nollard-expr-fuzz}"
cxx="${CXX_FUZZ:-clang++-14}"
runs="${FUZZ_RUNS:-200000}"
seconds="${FUZZ_SECONDS:-30}"
mkdir -p "$work"
binary="$work/expression_fuzz"

# Rebuild only when a source is newer than the binary.
if [ ! -x "$binary" ] || [ -n "$(find "$src/expr" "$here" "$here/../plain_rules.h" \( -name '*.cpp' -o -name '*.h' \) -newer "$binary" | head -n 1)" ]; then
    echo "building $binary"
    "$cxx" -std=c++20 -g -O1 -fno-omit-frame-pointer \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -I"$src" -I"$here/.." "$here/expression_fuzz.cpp" "$src"/expr/*.cpp -o "$binary.tmp"
    mv "$binary.tmp" "$binary"
fi

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0

# The saved inputs, each once.
"$binary" -runs=0 "$here/corpus"

# A bounded random session; new inputs go to a scratch folder so the saved
# corpus stays as it is.
rm -rf "$work/new"
mkdir -p "$work/new"
"$binary" -seed=1 -runs="$runs" -max_total_time="$seconds" -max_len=512 -timeout=10 \
    -rss_limit_mb=2048 -dict="$here/expression.dict" -print_final_stats=1 \
    "$work/new" "$here/corpus"
echo "fuzz run clean"
