#!/usr/bin/env bash
# Runs a command with a throwaway PostgreSQL server on a private socket folder,
# exporting PGHOST/PGPORT/PGUSER for it; the server is stopped afterwards.
# Usage: scripts/with-postgres.sh <command> [args...]
# Tests that stop and start the server find its data folder, programs and
# owner in NOLLARD_PGDATA, NOLLARD_PGBIN and NOLLARD_PGRUNAS (empty when the
# script does not run as root); the server settings live in the data folder,
# so a plain "pg_ctl -D ... start" brings it back as it was.
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
cat >>"$PGTMP/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$PGTMP'
port = 55432
fsync = off
max_connections = 200
EOF
"${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$PGTMP/data" -l "$PGTMP/server.log" -w -t 30 start >/dev/null

export PGHOST="$PGTMP" PGPORT=55432 PGUSER=postgres PGDATABASE=postgres
export NOLLARD_PGDATA="$PGTMP/data" NOLLARD_PGBIN="$PGBIN" NOLLARD_PGRUNAS="${RUNAS[2]:-}"
set +e
"$@"
status=$?
set -e
exit $status
