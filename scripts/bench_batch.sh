#!/usr/bin/env bash
# Batch throughput of ljungcv against the floor: 10^6 mixed rows (both methods
# and the default, keywords in either case) with one row in six rejected or
# without a value, and with none, from a file and from a pipe to /dev/null.
# The floor (nine transcendental operations, bench/critval_bench) is measured
# in each round. Three rounds, each running every build given; prints the best
# of the rounds in nanoseconds per row and in floors. With --peers, each round
# also runs the same job the way a pandas user and an R user do it
# (bench/batch_pandas.py, bench/batch_r.R: read, ljungcv, write, the same
# rows and columns) on the first input, and the ratios to the first build.
# Usage: scripts/bench_batch.sh [--peers] [LJUNGCV [OTHER_LJUNGCV ...]]
#   (--peers needs the release tree's tests run, which leave the Python package
#   in build/release/python-venv, and the R package where R finds it, or in
#   build/r/library: scripts/r-package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
peers=false
[[ ${1:-} == --peers ]] && { peers=true; shift; }
builds=("${@:-build/release/ljungcv}")
export R_LIBS=${R_LIBS:-build/r/library}
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
keep_best() {  # KEY NANOSECONDS_PER_ROW
  [[ -z ${best[$1]:-} || $2 -lt ${best[$1]} ]] && best[$1]=$2
  return 0
}
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
      keep_best "$b file $every" "$(ns_per_row "$b" batch "$work/rows$every.csv")"
      keep_best "$b pipe $every" "$(ns_per_row bash -c "cat '$work/rows$every.csv' | '$b' batch")"
    done
  done
  if $peers; then  # the job's own seconds, as each script prints them
    s=$(build/release/python-venv/bin/python bench/batch_pandas.py "$work/rows6.csv" /dev/null)
    keep_best pandas "$(awk -v s="$s" -v r="$rows" 'BEGIN { printf "%d", s * 1e9 / r }')"
    s=$(Rscript bench/batch_r.R "$work/rows6.csv" /dev/null)
    keep_best R "$(awk -v s="$s" -v r="$rows" 'BEGIN { printf "%d", s * 1e9 / r }')"
  fi
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
if $peers; then
  tool=${best[${builds[0]} file 6]}
  for peer in pandas R; do
    awk -v p="$peer" -v t="${best[$peer]}" -v b="$tool" 'BEGIN {
      printf "%s: %d ns/row; %s takes %.3f of its time\n", p, t, "ljungcv batch from a file", b / t }'
  done
fi
