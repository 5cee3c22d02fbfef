#!/usr/bin/env bash
# Draws docs/critical-values.png: both methods' critical values against n (log
# scale) for alpha = 0.01, 0.05 and 0.1, from `ljungcv table --csv` output.
# Usage: docs/plot.sh [LJUNGCV]   (default: build/release/ljungcv)
set -euo pipefail
cd "$(dirname "$0")/.."
ljungcv=${1:-build/release/ljungcv}
command -v gnuplot >/dev/null || {
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends gnuplot-nox >/dev/null
}
data=$(mktemp)
trap 'rm -f "$data"' EXIT
# Whole counts, roughly log-spaced: n is truncated anyway.
ns=$(awk 'BEGIN { for (x = 2; x <= 100000; x *= 1.08) { n = int(x); if (n != last) { printf "%s%d", sep, n; sep = ","; last = n } } }')
"$ljungcv" table --csv --n "$ns" --alpha 0.01,0.05,0.1 --method both >"$data"

gnuplot <<GNUPLOT
set terminal pngcairo size 900,560 font ",11"
set output "docs/critical-values.png"
set datafile separator ","
set logscale x
set xlabel "n (number of statistics)"
set ylabel "critical value"
set title "LJUNGCV(n, alpha): corrected (solid) and asymptotic (dashed)"
set key left top
set grid
sel(m, a) = (strcol(3) eq m && abs(\$2 - a) < 1e-12) ? \$4 : NaN
plot for [a in "0.01 0.05 0.1"] "$data" every ::1 using 1:(sel("C", a+0)) \
       with lines lw 2 lc rgb (a eq "0.01" ? "#1b6ca8" : a eq "0.05" ? "#c0392b" : "#27ae60") \
       title "alpha = ".a." corrected", \
     for [a in "0.01 0.05 0.1"] "$data" every ::1 using 1:(sel("L", a+0)) \
       with lines lw 2 dt 2 lc rgb (a eq "0.01" ? "#1b6ca8" : a eq "0.05" ? "#c0392b" : "#27ae60") \
       title "alpha = ".a." asymptotic"
GNUPLOT
echo "wrote docs/critical-values.png"
