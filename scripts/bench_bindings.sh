#!/usr/bin/env bash
# One run, one machine: 10^6 values of n log-uniform from 2 to 10^6, with one
# alpha (0.05) or alpha from 0.001 to 0.1 per element, both methods.
#   C:      the array form against korvalen_ljungcv in a loop, and the floor
#           of this path (the terms in n alone: ln n, sqrt(2 ln n), ln ln n).
#   Python: korvalen.ljungcv against the asymptotic formula written out in NumPy.
#   R:      ljungcv against the same formula written out as vector operations.
# Best of 15, interleaved, for Python and R; medians of five for C. Prints the ratios.
# Usage: scripts/bench_bindings.sh   (needs the release tree with its tests
# run, which leave the Python package in build/release/python-venv, and the R
# package where R finds it, or in build/r/library: scripts/r-package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
export R_LIBS=${R_LIBS:-build/r/library}

c=$(build/release/bench/array_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
      --benchmark_format=csv 2>/dev/null | awk -F, '/_median"/ { gsub(/"/, "", $1); print $1, $3 }')
ms() { awk -v name="$1" '$1 == name"_median" { printf "%.1f", $2 }' <<<"$c"; }

python=$(build/release/python-venv/bin/python - <<'PYTHON'
import time, numpy as np, korvalen
rng = np.random.default_rng(42)
n = np.floor(np.exp(np.log(2) + rng.random(10**6) * np.log(5e5)))
per_element = 0.001 + rng.random(10**6) * 0.099
c = 2.5310242470998636  # ln(4 pi), pi to nine decimals

def formula(n, alpha):  # the README's asymptotic formula
    a = np.sqrt(2 * np.log(n))
    return a - (np.log(np.log(n)) + c) / (2 * a) - np.log(-0.5 * np.log(2 - np.sqrt(1 + alpha))) / a

def best(*fs):  # interleaved, so that the machine's drifts touch all alike
    times = [[] for _ in fs]
    for _ in range(15):
        for f, t in zip(fs, times):
            start = time.perf_counter(); f(); t.append(time.perf_counter() - start)
    return [min(t) * 1e3 for t in times]

for label, alpha in (("one", 0.05), ("per", per_element)):
    print(label, *best(lambda: formula(n, alpha), lambda: korvalen.ljungcv(n, alpha, "L"),
                       lambda: korvalen.ljungcv(n, alpha)))
PYTHON
)

r=$(Rscript -e '
suppressMessages(library(korvalen)); set.seed(42)
n <- floor(exp(log(2) + runif(1e6) * log(5e5))); per <- 0.001 + runif(1e6) * 0.099
c <- 2.5310242470998636
formula <- function(n, alpha) {
  a <- sqrt(2 * log(n))
  a - (log(log(n)) + c) / (2 * a) - log(-0.5 * log(2 - sqrt(1 + alpha))) / a
}
best <- function(...) {  # interleaved, so that the machine drifts touch all alike
  fs <- list(...)
  times <- replicate(15, vapply(fs, function(f) system.time(f())[["elapsed"]], 0))
  apply(times, 1, min) * 1e3
}
for (case in list(list("one", 0.05), list("per", per))) {
  alpha <- case[[2]]
  cat(case[[1]], best(function() formula(n, alpha), function() ljungcv(n, alpha, "L"),
                      function() ljungcv(n, alpha)), "\n")
}')

floor_ms=$(ms BM_TermsInN)
echo "C (korvalen_ljungcv_array), ms and ratios; floor: the terms in n alone, $floor_ms ms"
echo "| method, alpha | array | loop | array / loop | array / floor |"
echo "|---|---|---|---|---|"
for case in "0/0 corrected, one alpha" "1/0 L, one alpha" "0/1 corrected, alpha per element" \
            "1/1 L, alpha per element"; do
  args=${case%% *}
  array=$(ms "BM_Array/$args") loop=$(ms "BM_Loop/$args")
  awk -v l="${case#* }" -v a="$array" -v p="$loop" -v f="$floor_ms" \
    'BEGIN { printf "| %s | %.1f | %.1f | %.2f | %.2f |\n", l, a, p, a / p, a / f }'
done
for language in Python R; do
  rows=$([[ $language == Python ]] && echo "$python" || echo "$r")
  echo
  echo "$language, ms and ratios to the formula written out by hand (floor/formula: $floor_ms ms over it)"
  echo "| alpha | formula | L | L / formula | corrected | corrected / formula | floor / formula |"
  echo "|---|---|---|---|---|---|---|"
  while read -r label formula l corrected; do
    awk -v lab="$label" -v h="$formula" -v l="$l" -v c="$corrected" -v f="$floor_ms" 'BEGIN {
      printf "| %s | %.1f | %.1f | %.2f | %.1f | %.2f | %.2f |\n",
        lab == "one" ? "one" : "per element", h, l, l / h, c, c / h, f / h }'
  done <<<"$rows"
done
