#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the windows offscreen,
# the storage tests on SQLite and on a PostgreSQL server started for the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
../scripts/with-postgres.sh ctest --output-on-failure -j2 --timeout 900
