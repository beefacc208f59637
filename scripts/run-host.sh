#!/usr/bin/env bash
# Builds everything and starts jxc-host with the transfer window. Without --db the host opens the
# database chosen last time; on the first run it asks, the embedded SQLite demo database in the
# user's data folder being the default answer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh jxc-host jxc-admin jxc-transfer
exec "${JXC_BUILD_DIR:-build}/bin/jxc-host" "$@"
