#!/usr/bin/env bash
# Runs a command with a primary PostgreSQL server and a streaming standby made
# from it with pg_basebackup -R, both listening on loopback (127.0.0.1) on free
# ports of their own, in a temporary folder; the primary commits synchronously,
# so a commit it reports is on the standby too. Both are stopped afterwards.
# Usage: scripts/with-postgres-pair.sh <command> [args...]
# The command finds:
#   NOLLARD_PAIR_SOURCE    "127.0.0.1:<primary port>,127.0.0.1:<standby port>",
#                          the Data Source naming both servers
#   NOLLARD_PAIR_DATABASE  an empty database made on the primary (and so on the standby)
#   NOLLARD_PAIR_PRIMARY, NOLLARD_PAIR_STANDBY  the data folders, for pg_ctl
#   NOLLARD_PGBIN, NOLLARD_PGRUNAS  the server's programs and their owner, as
#                          scripts/with-postgres.sh sets them
# Where the PostgreSQL server's programs are not installed, the command runs
# with none of these set and NOLLARD_PAIR_MISSING naming the program missing.
set -euo pipefail

PGBIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1 || true)
for program in initdb pg_ctl pg_basebackup psql; do
  if [ -z "$PGBIN" ] || [ ! -x "$PGBIN/$program" ]; then
    echo "with-postgres-pair: no PostgreSQL server programs ($program) under /usr/lib/postgresql" >&2
    unset NOLLARD_PAIR_SOURCE NOLLARD_PAIR_DATABASE NOLLARD_PAIR_PRIMARY NOLLARD_PAIR_STANDBY
    export NOLLARD_PAIR_MISSING="$program"
    exec "$@"
  fi
done

PGTMP=$(mktemp -d)
RUNAS=()
if [ "$(id -u)" = 0 ]; then
  chown postgres:postgres "$PGTMP"
  RUNAS=(runuser -u postgres --)
fi
PRIMARY="$PGTMP/primary"
STANDBY="$PGTMP/standby"
cleanup() {
  for data in "$STANDBY" "$PRIMARY"; do
    [ -f "$data/postmaster.pid" ] && "${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1
  done
  rm -rf "$PGTMP"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
P1=$(free_port)
P2=$(free_port)
while [ "$P2" = "$P1" ]; do P2=$(free_port); done
sql() {
  "${RUNAS[@]}" "$PGBIN/psql" -X -q -At -v ON_ERROR_STOP=1 -h "$PGTMP" -p "$1" -U postgres -d postgres -c "$2"
}

# The primary: replication connections from loopback are let in by initdb's
# own pg_hba.conf; the replication account is made below.
"${RUNAS[@]}" "$PGBIN/initdb" -D "$PRIMARY" -U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync >/dev/null
cat >>"$PRIMARY/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
unix_socket_directories = '$PGTMP'
port = $P1
fsync = off
max_connections = 50
wal_level = replica
max_wal_senders = 5
EOF
"${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$PRIMARY" -l "$PGTMP/primary.log" -w -t 30 start >/dev/null
sql "$P1" "create role replicator with login replication"
sql "$P1" "create database nollard"

# The standby: a copy of the primary that follows it; -R writes the
# connection to the primary and standby.signal into the copy.
"${RUNAS[@]}" "$PGBIN/pg_basebackup" -D "$STANDBY" -R -X stream --checkpoint=fast --no-sync \
  -d "host=127.0.0.1 port=$P1 user=replicator application_name=standby"
cat >>"$STANDBY/postgresql.conf" <<EOF
port = $P2
EOF
"${RUNAS[@]}" "$PGBIN/pg_ctl" -D "$STANDBY" -l "$PGTMP/standby.log" -w -t 30 start >/dev/null

# Synchronous commit only once the standby is there: a commit waits for it.
sql "$P1" "alter system set synchronous_standby_names = 'standby'"
sql "$P1" "select pg_reload_conf()" >/dev/null
for _ in $(seq 1 300); do
  state=$(sql "$P1" "select sync_state from pg_stat_replication where application_name = 'standby'")
  [ "$state" = sync ] && break
  sleep 0.1
done
if [ "$state" != sync ]; then
  echo "with-postgres-pair: the standby did not become synchronous (state '$state')" >&2
  cat "$PGTMP/standby.log" >&2
  exit 1
fi

export NOLLARD_PAIR_SOURCE="127.0.0.1:$P1,127.0.0.1:$P2" NOLLARD_PAIR_DATABASE=nollard
export NOLLARD_PAIR_PRIMARY="$PRIMARY" NOLLARD_PAIR_STANDBY="$STANDBY"
export NOLLARD_PGBIN="$PGBIN" NOLLARD_PGRUNAS="${RUNAS[2]:-}"
unset NOLLARD_PAIR_MISSING
set +e
"$@"
status=$?
set -e
exit $status
