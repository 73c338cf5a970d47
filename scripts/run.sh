#!/usr/bin/env bash
# Installs what is missing, builds, prepares the embedded demo database and
# starts Nollard at its login window.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
./dbadmin prepare-demo
exec ./nollard
