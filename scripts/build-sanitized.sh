#!/usr/bin/env bash
# Configures and builds Nollard and its tests a second time, into ./build-asan,
# with AddressSanitizer and UndefinedBehaviorSanitizer: a wrong memory access,
# a leak or undefined behaviour in our code then fails the test that reached it.
# The benchmarks are left out; they measure the normal build.
set -euo pipefail
cd "$(dirname "$0")/.."
# A compiler cache, where installed, spares rebuilding what did not change.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DNOLLARD_WERROR="${NOLLARD_WERROR:-OFF}" \
  -DNOLLARD_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$flags" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
  "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$(nproc)"
