#!/usr/bin/env bash
# Batch throughput of ljungcv: 10^6 mixed rows (both methods and the default,
# keywords in either case, 1 in 12 rejected or without value) from a file and
# from a pipe to /dev/null, five runs each; prints the best and the median in
# nanoseconds per row. Usage: scripts/bench_batch.sh [LJUNGCV] [ROWS]
set -euo pipefail
cd "$(dirname "$0")/.."
ljungcv=${1:-build/release/ljungcv}
rows=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v rows="$rows" 'BEGIN {
  srand(20261208)
  split(",L,C,ljung,corrected,CORR", methods, ",")
  print "n,alpha,method"
  for (i = 0; i < rows; ++i) {
    n = int(exp(log(2) + rand() * log(5e6)))
    alpha = sprintf("%.4f", 0.001 + rand() * 0.099)
    if (i % 12 == 5) alpha = "0.2"          # rejected
    if (i % 12 == 11) n = 0                 # no value
    m = methods[1 + i % 6]
    print (m == "" ? n "," alpha : n "," alpha "," m)
  }
}' >"$work/rows.csv"

measure() {  # LABEL COMMAND...: five runs, nanoseconds per row
  local label=$1 times=()
  shift
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    times+=($(((end - start) / rows)))
  done
  printf '%s\n' "${times[@]}" | sort -n |
    awk -v label="$label" '{ t[NR] = $1 } END { printf "%-6s best %4d ns/row, median %4d ns/row\n", label, t[1], t[3] }'
}
from_file() { "$ljungcv" batch "$work/rows.csv" >/dev/null; }
from_pipe() { cat "$work/rows.csv" | "$ljungcv" batch >/dev/null; }
echo "ljungcv batch, $rows rows to /dev/null:"
measure file from_file
measure pipe from_pipe
