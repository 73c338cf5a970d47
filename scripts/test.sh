#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the windows offscreen,
# the storage tests on SQLite and on a PostgreSQL server started for the run,
# and the Debian package made from the build and checked with lintian.
# Then builds everything a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the same tests again: any report from our
# code fails the run (the files in tests/sanitizers list what is not ours).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# The test command's builds take every compiler warning as an error.
export NOLLARD_WERROR=ON
scripts/install-deps.sh
scripts/build.sh
(cd build && ../scripts/with-postgres.sh ctest --output-on-failure -j2 --timeout 900)

scripts/build-sanitized.sh
cd build-asan
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp"
export UBSAN_OPTIONS="suppressions=$root/tests/sanitizers/ubsan.supp:print_stacktrace=1:halt_on_error=1"
# The fuzz run builds its own sanitized target and ran with the first build;
# so was the Debian package made and checked, from the first build.
../scripts/with-postgres.sh ctest --output-on-failure -j2 --timeout 1800 -E '^(expr_fuzz|package_contents)$'
