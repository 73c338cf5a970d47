#!/usr/bin/env bash
# Installs what is missing, builds, prepares the embedded demo database and
# starts Nollard at its login window. When build/config/config.ini names a
# database server, the server is used as it is: nothing is prepared there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cd build
provider=$(sed -n 's/^[[:space:]]*Provider[[:space:]]*=[[:space:]]*//p' config/config.ini 2>/dev/null | tr -d '\r' | head -1)
if [ "${provider,,}" = "sqlite" ]; then
  ./dbadmin prepare-demo
else
  echo "config/config.ini names a database server (Provider=${provider:-SQLOLEDB.1}):"
  echo "no demo database is prepared; Nollard uses that server as configured."
fi
exec ./nollard
