#!/usr/bin/env bash
# Builds everything and starts jxc-host with the transfer window. Without --db the host uses an
# embedded SQLite demo database in the user's data folder, created on first run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh jxc-host jxc-admin jxc-transfer
exec "${JXC_BUILD_DIR:-build}/bin/jxc-host" "$@"
