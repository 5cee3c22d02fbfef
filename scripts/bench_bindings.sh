#!/usr/bin/env bash
# 10^6 evaluations: korvalen_ljungcv called in a loop from C, against one
# array call from Python and from R (n log-uniform from 2 to 10^6, alpha from
# 0.001 to 0.1, the default method). Best of five, in milliseconds. Needs the
# release tree and the R package (scripts/r-package.sh) built.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -std=c11 -Iinclude bench/c_loop.c build/release/lib/libkorvalen.a -lm -o "$work/c_loop"
c=$("$work/c_loop")
python=$(PYTHONPATH=build/release/python /usr/bin/python3 - <<'PYTHON'
import time, numpy as np, korvalen
rng = np.random.default_rng(42)
n = np.floor(np.exp(np.log(2) + rng.random(10**6) * np.log(5e5)))
alpha = 0.001 + rng.random(10**6) * 0.099
best = min(-time.perf_counter() + (korvalen.ljungcv(n, alpha), time.perf_counter())[1] for _ in range(5))
print(f"{best * 1e3:.1f}")
PYTHON
)
r=$(R_LIBS=build/r/library Rscript -e '
suppressMessages(library(korvalen)); set.seed(42)
n <- floor(exp(log(2) + runif(1e6) * log(5e5))); alpha <- 0.001 + runif(1e6) * 0.099
cat(sprintf("%.1f\n", min(replicate(5, system.time(ljungcv(n, alpha))[["elapsed"]])) * 1e3))')
printf '| C, korvalen_ljungcv in a loop | %s ms | 1 |\n' "$c"
awk -v c="$c" -v p="$python" -v r="$r" 'BEGIN {
  printf "| Python, korvalen.ljungcv(array) | %s ms | %.2f |\n", p, p / c
  printf "| R, ljungcv(vector) | %s ms | %.2f |\n", r, r / c }'
