#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Nollard need,
# when any of them is missing.
set -euo pipefail

packages=(
  cmake g++ pkg-config
  qt6-base-dev qt6-translations-l10n libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  unixodbc-dev tdsodbc sqlfluff
  libkainjow-mustache-dev
  fonts-wqy-microhei
  # The server for the tests; it brings postgresql-client-15 with pg_dump,
  # pg_restore and pg_basebackup (the failover test's standby).
  postgresql
  # The encryption test makes its certificates.
  openssl
  libgtest-dev libbenchmark-dev libmuparser-dev
  clang libclang-rt-14-dev clang-format
  poppler-utils xvfb xauth
  # The CSV test opens the saved files in a spreadsheet, as a finance clerk does.
  libreoffice-calc-nogui
  dpkg-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=()
[ "$(id -u)" = 0 ] || SUDO=(sudo)
echo "installing: ${missing[*]}"
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
