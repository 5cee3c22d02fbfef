#!/usr/bin/env bash
# Draws docs/critical-values.png: both methods' critical values against n (log
# scale, 2 to 10^12) at six levels, from `ljungcv table --csv` output. The thin
# dotted line at each level is the value for a single statistic (n = 1): where
# the corrected curve would fall below it, LJUNGCV has no value and the curve
# ends. Usage: docs/plot.sh [LJUNGCV]   (default: build/release/ljungcv)
set -euo pipefail
cd "$(dirname "$0")/.."
ljungcv=${1:-build/release/ljungcv}
bash scripts/setup.sh docs
data=$(mktemp)
trap 'rm -f "$data"' EXIT
# Whole counts, roughly log-spaced: n is truncated anyway.
ns=$(awk 'BEGIN { for (x = 2; x <= 1e12; x *= 1.06) { n = int(x); if (n != last) { printf "%s%.0f", sep, n; sep = ","; last = n } } }')
levels="0.1,0.05,0.01,0.001,0.0001,0.000001"
"$ljungcv" table --csv --n "$ns" --alpha "$levels" --method both >"$data" || true
single() { "$ljungcv" 1 "$1"; }
# One panel: LEVELS YMIN YMAX TITLE.
panel() {
  local singles=""
  for a in $1; do
    singles+=", $(single "$a") with lines lw 1 dt 3 lc rgb colour($a) notitle"
  done
  cat <<PANEL
set title "$4"
set yrange [$2:$3]
plot for [a in "$1"] "$data" every ::1 using 1:(sel("C", a+0)) \\
       with lines lw 2 lc rgb colour(a+0) title "alpha = ".a, \\
     for [a in "$1"] "$data" every ::1 using 1:(sel("L", a+0)) \\
       with lines lw 2 dt 2 lc rgb colour(a+0) notitle$singles
PANEL
}

gnuplot <<GNUPLOT
set terminal pngcairo size 1200,560 font ",11"
set output "docs/critical-values.png"
set datafile separator ","
set datafile missing ""
set logscale x
set format x "10^{%T}"
set xrange [2:1e12]
set xlabel "n (number of statistics)"
set ylabel "critical value"
set grid
set key left top font ",10"
sel(m, a) = (strcol(3) eq m && abs(\$2 - a) < 1e-15 && strcol(4) ne "") ? \$4 : NaN
# One colour an alpha, the same as in docs/level.png.
colour(a) = a == 0.1 ? "#27ae60" : a == 0.05 ? "#c0392b" : a == 0.01 ? "#1b6ca8" : a == 0.001 ? "#8e44ad" : a == 0.0001 ? "#d35400" : "#5d4037"
set multiplot layout 1,2 title "LJUNGCV(n, alpha): corrected (solid), asymptotic (dashed), single statistic (dotted)"
$(panel "0.1 0.05 0.01" 1.5 6.5 "alpha = 0.1, 0.05, 0.01")
$(panel "0.001 0.0001 0.000001" 3 9 "alpha = 0.001, 1e-4, 1e-6: the corrected curve turns down and ends")
unset multiplot
GNUPLOT
echo "wrote docs/critical-values.png"
