#!/usr/bin/env bash
# Configures and builds Nollard into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
# A compiler cache, where installed, spares rebuilding what did not change.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DNOLLARD_WERROR="${NOLLARD_WERROR:-OFF}" >/dev/null
cmake --build build -j"$(nproc)"
