#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server on a private socket folder,
# exporting PGHOST/PGPORT/PGUSER for it; the server is stopped afterwards.
# Usage: scripts/with-postgres.sh <command> [args...]
set -euo pipefail

PGBIN=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
PGTMP=$(mktemp -d)
RUNAS=()
if [ "$(id -u)" = 0 ]; then
  chown postgres:postgres "$PGTMP"
  RUNAS=(runuser -u postgres --)
fi
cleanup() {
  "${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$PGTMP/data" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$PGTMP"
}
trap cleanup EXIT

"${RUNAS[@]}" "$PGBIN/initdb" -D "$PGTMP/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync >/dev/null
"${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$PGTMP/data" -l "$PGTMP/server.log" -w -t 30 \
  -o "-c listen_addresses='' -k $PGTMP -p 55432 -c fsync=off -c max_connections=200" start >/dev/null

export PGHOST="$PGTMP" PGPORT=55432 PGUSER=postgres PGDATABASE=postgres
set +e
"$@"
status=$?
set -e
exit $status
