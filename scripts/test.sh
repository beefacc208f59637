#!/usr/bin/env bash
# Builds everything and runs every test (CTest, Qt's offscreen platform), the PostgreSQL ones
# against a server this script starts.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ -z "${JXC_TEST_PG:-}" ]; then
  # The server script prints the conninfo as its last line.
  if conn=$(scripts/pg-test-server.sh | tail -n 1) && [ -n "$conn" ]; then
    export JXC_TEST_PG="$conn"
    # The server is this script's own: the reconnect tests may restart it.
    export JXC_TEST_PG_RESTART="${JXC_TEST_PG_RESTART:-$PWD/scripts/pg-test-server.sh --restart}"
    # A workstation role of the group jxc_clerk, for the tests of what the server lets it do.
    export JXC_TEST_PG_CLERK="${JXC_TEST_PG_CLERK:-$conn user=jxc_test_clerk}"
    # The authority the server's TLS certificate chains to, for the verified-connection test.
    ca=/var/lib/postgresql/jxc-test-tls/ca.crt
    [ -f "$ca" ] && export JXC_TEST_PG_CA="${JXC_TEST_PG_CA:-$ca}"
  else
    echo "PostgreSQL server could not be started; its tests will be skipped" >&2
  fi
fi
export QT_QPA_PLATFORM=offscreen
cd "${JXC_BUILD_DIR:-build}"
ctest --output-on-failure -j2 "$@"
