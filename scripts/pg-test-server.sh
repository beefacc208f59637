#!/usr/bin/env bash
# Starts the packaged PostgreSQL server and makes a role and database for the user that runs the
# tests, reachable over the local socket. Prints the conninfo for JXC_TEST_PG. The server keeps
# statement statistics (pg_stat_statements) for the benchmarks that count what it receives.
# With --restart: restarts the running server (the reconnect tests name this in
# JXC_TEST_PG_RESTART) and waits until it answers again.
set -euo pipefail
ver=$(ls /usr/lib/postgresql 2>/dev/null | sort -n | tail -1)
[ -n "$ver" ] || { echo "postgresql is not installed" >&2; exit 1; }
as_pg() { if [ "$(id -u)" -eq 0 ]; then su postgres -c "$*"; else sudo -u postgres sh -c "$*"; fi; }
wait_ready() {
  for i in $(seq 1 30); do
    pg_isready -q && return 0
    sleep 1
  done
  return 1
}
if [ "${1:-}" = "--restart" ]; then
  pg_ctlcluster "$ver" main restart -m fast >/dev/null
  wait_ready
  exit 0
fi
if ! pg_lsclusters -h 2>/dev/null | grep -q "^$ver main"; then
  pg_createcluster "$ver" main >/dev/null 2>&1
fi
if [ -f "/usr/lib/postgresql/$ver/lib/pg_stat_statements.so" ] &&
   ! pg_conftool "$ver" main show shared_preload_libraries 2>/dev/null | grep -q pg_stat_statements; then
  pg_conftool "$ver" main set shared_preload_libraries pg_stat_statements
  pg_ctlcluster "$ver" main stop >/dev/null 2>&1 || true # running without it: started again below
fi
pg_ctlcluster "$ver" main start >/dev/null 2>&1 || true
wait_ready
me=$(id -un)
as_pg "psql -qtAc \"select 1 from pg_roles where rolname='$me'\"" | grep -q 1 ||
  as_pg "psql -qc 'create role \"$me\" login superuser'"
as_pg "psql -qtAc \"select 1 from pg_database where datname='jxc_test'\"" | grep -q 1 ||
  as_pg "psql -qc 'create database jxc_test owner \"$me\"'"
if as_pg "psql -qtAc 'show shared_preload_libraries'" | grep -q pg_stat_statements; then
  as_pg "psql -d jxc_test -qc 'create extension if not exists pg_stat_statements'" >/dev/null
fi
echo "dbname=jxc_test"
