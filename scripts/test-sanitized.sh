#!/usr/bin/env bash
# The whole test suite built and run a second time under AddressSanitizer and
# UndefinedBehaviorSanitizer, in its own build folder (build-asan, or $JXC_ASAN_DIR). Any
# sanitizer report fails the run, also one from a child process whose exit code no test checks:
# reports are written to files as well, and any file found afterwards is shown and fails it.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${JXC_ASAN_DIR:-build-asan}
# -O1 and line tables only: at -O2 with full debug information one translation unit can take
# gigabytes to compile under the sanitizers.
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -O1 -g1"
reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
export JXC_BUILD_DIR="$dir"
# CMake takes CXXFLAGS when the folder is first configured; the SDK host that a test configures
# and builds as a project of its own gets them the same way.
export CFLAGS="$flags" CXXFLAGS="$flags" LDFLAGS="-fsanitize=address,undefined"
export JXC_BUILD_TYPE=None JXC_CMAKE_ARGS="-DJXC_BUILD_BENCH=OFF"
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
# Qt and fontconfig keep caches for the life of the process; leaks are not what this run looks for.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:log_path=$reports/asan:log_exe_name=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan:log_exe_name=1"
status=0
bash scripts/test.sh "$@" || status=$?
if compgen -G "$reports/*" >/dev/null; then
  echo "Sanitizer reports:" >&2
  for f in "$reports"/*; do echo "== $f" >&2; cat "$f" >&2; done
  status=1
fi
exit $status
