#!/usr/bin/env bash
# Builds the Debian packages: a Release build without the tests and benchmarks in ./build-package
# (or $JXC_PACKAGE_BUILD_DIR), then CPack's DEB generator.
# Prints the folder that holds jxc_<version>_amd64.deb and jxc-dev_<version>_amd64.deb as its
# last line: dist/ in the build folder (ignored by git, as the build folder is), or $JXC_DIST_DIR.
# $JXC_CMAKE_ARGS: more configure options (a compiler launcher, say). The version is the CMake
# project's. Everything else it says goes to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="${JXC_PACKAGE_BUILD_DIR:-build-package}"
dist="${JXC_DIST_DIR:-$build/dist}"
case "$dist" in /*) ;; *) dist="$root/$dist" ;; esac

# scripts/setup.sh installs what the build needs (for CPack too: dpkg-shlibdeps from dpkg-dev,
# and file), configures the folder when it is new and builds everything but the tests and
# benchmarks. The install layout is set here: prefix /usr, so the library folder is Debian's
# multiarch one, and the module only in the runtime package.
JXC_BUILD_DIR="$build" JXC_BUILD_TYPE=Release \
  JXC_CMAKE_ARGS="-DCMAKE_INSTALL_PREFIX=/usr -DJXC_BUILD_TESTS=OFF -DJXC_BUILD_BENCH=OFF -DJXC_BUILD_FUZZ=OFF -DJXC_SDK_WITH_MODULE=OFF ${JXC_CMAKE_ARGS:-}" \
  scripts/setup.sh >&2
grep -q '^CMAKE_INSTALL_PREFIX:PATH=/usr$' "$build/CMakeCache.txt" && grep -q '^JXC_SDK_WITH_MODULE:BOOL=OFF$' "$build/CMakeCache.txt" ||
  { echo "package: $build was configured for something else; remove it and run again" >&2; exit 1; }

mkdir -p "$dist"
rm -f "$dist"/jxc_*.deb "$dist"/jxc-dev_*.deb
(cd "$build" && cpack -G DEB -B "$dist" >&2)
# CPack leaves its staging folder beside the packages.
rm -rf "$dist/_CPack_Packages"
version=$(grep -oE 'set\(CPACK_PACKAGE_VERSION "[^"]+"' "$build/CPackConfig.cmake" | cut -d'"' -f2)
for p in jxc jxc-dev; do
  f="$dist/${p}_${version}_amd64.deb"
  [ -f "$f" ] || { echo "package: $f was not made; $dist holds: $(ls "$dist")" >&2; exit 1; }
  echo "package: $(basename "$f") ($(du -k "$f" | cut -f1) kB)" >&2
done
echo "$dist"
