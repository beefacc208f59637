#!/usr/bin/env bash
# Builds the benchmarks through setup.sh, runs the paired benchmark of each and prints one table:
# for every figure, the median of the ratios of paired runs (the product's way against its raw
# baseline, one of each in turn) on the wall clock and in CPU time, with the middle half of the
# pairs as the spread. Not part of .ci/run: it takes minutes.
# Usage: scripts/bench.sh [benchmark...]   (default: all of them)
# $JXC_BENCH_PAIRS: pairs per figure (default 15); $JXC_BUILD_DIR as for setup.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

# The PostgreSQL ones run against the server JXC_TEST_PG names (scripts/pg-test-server.sh starts
# one) and print "skipped" without it.
ALL=(BillListBench BillListQueryBench BillSaveBench PostingBench BlockRunnerBench PrintedBillBench WorkbookBench
     grid_scroll_bench LoginBench LedgerBench ScanBench PgBlockBench PgWorkstationsBench)
if [ $# -gt 0 ]; then benches=("$@"); else benches=("${ALL[@]}"); fi
BUILD_DIR="${JXC_BUILD_DIR:-build}"
scripts/setup.sh "${benches[@]}"

export QT_QPA_PLATFORM=offscreen
export JXC_BENCH_PAIRS="${JXC_BENCH_PAIRS:-15}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for b in "${benches[@]}"; do
  echo "running $b ($JXC_BENCH_PAIRS pairs a figure)..." >&2
  if ! "$BUILD_DIR/bench/$b" --benchmark_filter=Paired >"$work/$b.log" 2>&1; then
    echo "$b failed; its output:" >&2
    cat "$work/$b.log" >&2
    exit 1
  fi
  # ratio NAME=WALL cpu=CPU pairs=N wall_q=LO..HI cpu_q=LO..HI
  grep '^ratio ' "$work/$b.log" | sed "s/^ratio /$b /" >>"$work/figures" || true
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

echo
echo "Paired medians against the raw baselines (x the raw time; spread: the middle half of the pairs)"
echo "load average before: $load_before, after: $load_after"
awk '
  BEGIN { printf "%-20s %-10s %7s %-14s %7s %-14s %5s\n", "benchmark", "figure", "wall", "  spread", "cpu", "  spread", "pairs" }
  {
    split($2, f, "="); wall = f[2]; cpu = "-"; pairs = "-"; wq = ""; cq = ""
    for (i = 3; i <= NF; i++) {
      split($i, kv, "=")
      if (kv[1] == "cpu") cpu = kv[2]; else if (kv[1] == "pairs") pairs = kv[2]
      else if (kv[1] == "wall_q") wq = kv[2]; else if (kv[1] == "cpu_q") cq = kv[2]
    }
    printf "%-20s %-10s %7s %-14s %7s %-14s %5s\n", $1, f[1], wall, "  " wq, cpu, "  " cq, pairs
  }' "$work/figures"
