#!/usr/bin/env bash
# Builds the libFuzzer targets under fuzz/ with clang (build-fuzz, or $JXC_FUZZ_DIR) and runs
# each from its committed corpus for a bounded time ($JXC_FUZZ_SECONDS, default 60). A crash, a
# leak or an input that runs too long fails the run; the input is kept under build-fuzz/found/
# and belongs in the corpus (fuzz/corpus/sql, blocks or workbook) and in fuzz/regressions/<target>/,
# which a test replays, once the fault is mended. The workbook corpus is written by
# fuzz_workbook_seeds (fuzz/WorkbookSeeds.cpp).
# Usage: scripts/fuzz.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${JXC_FUZZ_DIR:-build-fuzz}
seconds=${JXC_FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_tokenizer fuzz_dialect_sqlite fuzz_dialect_postgresql fuzz_block_parser fuzz_block_runner fuzz_workbook)
# Everything the targets reach is instrumented for coverage and checked by the sanitizers.
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CFLAGS="$flags" CXXFLAGS="$flags" JXC_EXTRA_PACKAGES="clang libclang-rt-14-dev llvm" JXC_BUILD_DIR="$dir" \
  JXC_CMAKE_ARGS="-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DJXC_BUILD_FUZZ=ON -DJXC_BUILD_TESTS=OFF -DJXC_BUILD_BENCH=OFF" \
  scripts/setup.sh "${targets[@]}"
mkdir -p "$dir/found"
export ASAN_OPTIONS="detect_leaks=1"
status=0
for t in "${targets[@]}"; do
  max_len=4096
  case $t in
    fuzz_tokenizer) corpus=(fuzz/corpus/sql fuzz/corpus/blocks) ;;
    fuzz_dialect_*) corpus=(fuzz/corpus/sql) ;;
    # A workbook file is a few kilobytes even when small.
    fuzz_workbook) corpus=(fuzz/corpus/workbook); max_len=16384 ;;
    *) corpus=(fuzz/corpus/blocks) ;;
  esac
  work="$dir/work/$t"
  mkdir -p "$work"
  echo "== $t: $seconds s from ${corpus[*]}"
  # New inputs go to a scratch folder, so the committed corpus only changes by hand.
  if ! "$dir/fuzz/$t" "$work" "${corpus[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$dir/found/$t-" 2>"$dir/$t.log"; then
    tail -n 60 "$dir/$t.log" >&2
    echo "$t failed: see $dir/found/" >&2
    status=1
  fi
  grep -E "^stat::number_of_executed_units|^#[0-9]+ +DONE" "$dir/$t.log" || true
done
exit $status
