#!/usr/bin/env bash
# Starts the packaged PostgreSQL server and makes a role and database for the user that runs the
# tests, reachable over the local socket and over verified TLS on localhost (the authority's
# certificate: /var/lib/postgresql/jxc-test-tls/ca.crt), and a workstation role jxc_test_clerk in
# the group jxc_clerk (JXC_TEST_PG_CLERK). Prints the conninfo for JXC_TEST_PG. The server keeps
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
# A certificate authority and a certificate for localhost, so that the tests reach the server
# over verified TLS (--db-ca) as a workstation on another host would; the test user may connect
# over TLS from this machine without a password.
tls=/var/lib/postgresql/jxc-test-tls
if command -v openssl >/dev/null && [ ! -f "$tls/server.crt" ]; then
  mkdir -p "$tls"
  openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=jxc test CA" \
    -keyout "$tls/ca.key" -out "$tls/ca.crt" >/dev/null 2>&1
  openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout "$tls/server.key" -out "$tls/server.csr" >/dev/null 2>&1
  printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >"$tls/san.ext"
  openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.crt" -CAkey "$tls/ca.key" -CAcreateserial -days 3650 \
    -extfile "$tls/san.ext" -out "$tls/server.crt" >/dev/null 2>&1
  chown -R postgres:postgres "$tls"
  chmod 600 "$tls/server.key" "$tls/ca.key"
  chmod 755 "$tls"
fi
if [ -f "$tls/server.crt" ] && ! pg_conftool "$ver" main show ssl_cert_file 2>/dev/null | grep -q "$tls"; then
  pg_conftool "$ver" main set ssl on
  pg_conftool "$ver" main set ssl_cert_file "$tls/server.crt"
  pg_conftool "$ver" main set ssl_key_file "$tls/server.key"
  pg_ctlcluster "$ver" main stop >/dev/null 2>&1 || true
fi
hba=/etc/postgresql/$ver/main/pg_hba.conf
me=$(id -un)
for net in 127.0.0.1/32 ::1/128; do
  if [ -f "$tls/server.crt" ] && ! grep -q "^hostssl jxc_test $me $net trust" "$hba"; then
    sed -i "1i hostssl jxc_test $me $net trust" "$hba"
    pg_ctlcluster "$ver" main reload >/dev/null 2>&1 || true
  fi
  # Workstation roles (members of jxc_clerk) log in with their password over TLS...
  if ! grep -q "^hostssl jxc_test +jxc_clerk $net scram-sha-256" "$hba"; then
    sed -i "1i hostssl jxc_test +jxc_clerk $net scram-sha-256" "$hba"
    pg_ctlcluster "$ver" main reload >/dev/null 2>&1 || true
  fi
done
# ...and, for the tests that work as one, over the local socket without.
if ! grep -q "^local jxc_test +jxc_clerk trust" "$hba"; then
  sed -i "1i local jxc_test +jxc_clerk trust" "$hba"
  pg_ctlcluster "$ver" main reload >/dev/null 2>&1 || true
fi
pg_ctlcluster "$ver" main start >/dev/null 2>&1 || true
wait_ready
as_pg "psql -qtAc \"select 1 from pg_roles where rolname='$me'\"" | grep -q 1 ||
  as_pg "psql -qc 'create role \"$me\" login superuser'"
as_pg "psql -qtAc \"select 1 from pg_database where datname='jxc_test'\"" | grep -q 1 ||
  as_pg "psql -qc 'create database jxc_test owner \"$me\"'"
# The workstations' group and a workstation role for the tests (JXC_TEST_PG_CLERK).
as_pg "psql -qtAc \"select 1 from pg_roles where rolname='jxc_clerk'\"" | grep -q 1 ||
  as_pg "psql -qc 'create role jxc_clerk nologin'"
as_pg "psql -qtAc \"select 1 from pg_roles where rolname='jxc_test_clerk'\"" | grep -q 1 ||
  as_pg "psql -qc 'create role jxc_test_clerk login in role jxc_clerk'"
if as_pg "psql -qtAc 'show shared_preload_libraries'" | grep -q pg_stat_statements; then
  as_pg "psql -d jxc_test -qc 'set client_min_messages = warning; create extension if not exists pg_stat_statements'" >/dev/null
fi
echo "dbname=jxc_test"
