#!/usr/bin/env bash
# Installs the Debian packages the build needs (only what is missing), then configures and
# builds into ./build (or $JXC_BUILD_DIR). Usage: scripts/setup.sh [ninja targets...]
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libsqlite3-dev libpq-dev
          libxlsxwriter-dev libminizip-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-wqy-microhei
          postgresql)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD_DIR="${JXC_BUILD_DIR:-build}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${JXC_BUILD_TYPE:-RelWithDebInfo}"
fi
cmake --build "$BUILD_DIR" -- "$@"
