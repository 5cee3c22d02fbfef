#!/usr/bin/env bash
# Batch throughput of ljungcv against the floor: 10^6 mixed rows (both methods
# and the default, keywords in either case) with one row in six rejected or
# without a value, and with none, from a file and from a pipe to /dev/null.
# The floor (nine transcendental operations, bench/critval_bench) is measured
# just before. Each build runs three times, interleaved with the others given;
# prints the best in nanoseconds per row and in floors.
# Usage: scripts/bench_batch.sh [LJUNGCV [OTHER_LJUNGCV ...]]
set -euo pipefail
cd "$(dirname "$0")/.."
builds=("${@:-build/release/ljungcv}")
rows=1000000
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for every in 6 0; do
  awk -v rows="$rows" -v every="$every" 'BEGIN {
    srand(20261208)
    split(",L,C,ljung,corrected,CORR", methods, ",")
    print "n,alpha,method"
    for (i = 0; i < rows; ++i) {
      n = int(exp(log(2) + rand() * log(5e6)))
      alpha = sprintf("%.4f", 0.001 + rand() * 0.099)
      if (every && i % (2 * every) == every - 1) alpha = "0.2"       # rejected
      if (every && i % (2 * every) == 2 * every - 1) n = 0           # no value
      m = methods[1 + i % 6]
      print (m == "" ? n "," alpha : n "," alpha "," m)
    }
  }' >"$work/rows$every.csv"
done
floor_now() {
  build/release/bench/critval_bench --benchmark_filter='^BM_Floor$' --benchmark_min_time=0.3 \
    --benchmark_format=csv 2>/dev/null | awk -F, '/BM_Floor/ { print $3 }'
}
floor=
declare -A best
ns_per_row() {  # COMMAND...: nanoseconds per row of one run
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null || { echo "bench_batch: failed: $*" >&2; return 1; }
  end=$(date +%s%N)
  echo $(((end - start) / rows))
}
for _ in 1 2 3; do
  f=$(floor_now)  # the best of the rounds, as the rows' times are
  [[ -z $floor ]] || f=$(awk -v a="$f" -v b="$floor" 'BEGIN { print (a < b ? a : b) }')
  floor=$f
  for b in "${builds[@]}"; do
    for every in 6 0; do
      f=$(ns_per_row "$b" batch "$work/rows$every.csv")
      p=$(ns_per_row bash -c "cat '$work/rows$every.csv' | '$b' batch")
      for key in "$b file $every" "$b pipe $every"; do
        t=$([[ $key == *file* ]] && echo "$f" || echo "$p")
        [[ -z ${best[$key]:-} || $t -lt ${best[$key]} ]] && best[$key]=$t
      done
    done
  done
done
echo "floor: $floor ns"
for b in "${builds[@]}"; do
  for every in 6 0; do
    for source in file pipe; do
      t=${best[$b $source $every]}
      awk -v b="$b" -v s="$source" -v e="$every" -v t="$t" -v f="$floor" 'BEGIN {
        printf "%s, %s, %s: %d ns/row, %.1f floors\n", b, s, e ? "one row in six without value" : "every row a value", t, t / f }'
    done
  done
done
