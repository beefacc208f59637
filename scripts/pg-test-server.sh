#!/usr/bin/env bash
# Starts the packaged PostgreSQL server and makes a role and database for the user that runs the
# tests, reachable over the local socket. Prints the conninfo for JXC_TEST_PG.
set -euo pipefail
ver=$(ls /usr/lib/postgresql 2>/dev/null | sort -n | tail -1)
[ -n "$ver" ] || { echo "postgresql is not installed" >&2; exit 1; }
if ! pg_lsclusters -h 2>/dev/null | grep -q "^$ver main"; then
  pg_createcluster "$ver" main >/dev/null 2>&1
fi
pg_ctlcluster "$ver" main start >/dev/null 2>&1 || true
for i in $(seq 1 30); do
  pg_isready -q && break
  sleep 1
done
me=$(id -un)
as_pg() { if [ "$(id -u)" -eq 0 ]; then su postgres -c "$*"; else sudo -u postgres sh -c "$*"; fi; }
as_pg "psql -qtAc \"select 1 from pg_roles where rolname='$me'\"" | grep -q 1 ||
  as_pg "psql -qc 'create role \"$me\" login superuser'"
as_pg "psql -qtAc \"select 1 from pg_database where datname='jxc_test'\"" | grep -q 1 ||
  as_pg "psql -qc 'create database jxc_test owner \"$me\"'"
echo "dbname=jxc_test"
