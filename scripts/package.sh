#!/usr/bin/env bash
# Builds the Debian package build/packages/nollard_<version>_<arch>.deb from
# the build in ./build (made first where there is none) and prints its path.
# The version is the project's with the number of commits behind it, so that
# a later build installs over an earlier one as an upgrade; NOLLARD_PACKAGE_VERSION
# gives another.
#   apt-get install ./build/packages/nollard_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# An existing build is reused as it was configured; only the installed
# programs are brought up to date.
if [ -f build/CMakeCache.txt ]; then
  cmake --build build -j"$(nproc)" --target nollard dbadmin nollard-calc
else
  scripts/build.sh
fi

version=$(sed -n 's/^project(Nollard VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
source="a source tree"
date=$(date -R)
if git rev-parse --git-dir >/dev/null 2>&1; then
  version="$version.$(git rev-list --count HEAD)"
  source="commit $(git rev-parse --short HEAD)"
  date=$(git log -1 --format=%aD)
fi
version=${NOLLARD_PACKAGE_VERSION:-$version}

# Only the package's own settings change: nothing is compiled again.
cmake build -DNOLLARD_PACKAGE_VERSION="$version" -DNOLLARD_PACKAGE_SOURCE="$source" \
  -DNOLLARD_PACKAGE_DATE="$date" >/dev/null
rm -f build/packages/nollard_*.deb
(cd build && cpack --config CPackConfig.cmake -B packages >/dev/null)
ls build/packages/nollard_*.deb
