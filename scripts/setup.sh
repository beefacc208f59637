#!/usr/bin/env bash
# Installs the Debian packages the build needs (only what is missing), then configures and
# builds into ./build (or $JXC_BUILD_DIR). Usage: scripts/setup.sh [ninja targets...]
# $JXC_EXTRA_PACKAGES: more packages to install; $JXC_CMAKE_ARGS: more configure options, used
# when the build folder is first configured (the sanitizer and fuzzer builds pass their flags).
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libsqlite3-dev libpq-dev
          libxlsxwriter-dev libminizip-dev zlib1g-dev libsodium-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-wqy-microhei
          poppler-utils zbar-tools
          postgresql openssl dpkg-dev file ${JXC_EXTRA_PACKAGES:-})
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
  # shellcheck disable=SC2086 # the extra options are words
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="${JXC_BUILD_TYPE:-RelWithDebInfo}" ${JXC_CMAKE_ARGS:-}
fi
cmake --build "$BUILD_DIR" -- "$@"
