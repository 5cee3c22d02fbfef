#!/usr/bin/env bash
# ljungcv run as a process: values, tables, batches, errors and exit codes,
# version and describe, a missing module, and the installed layout.
# Usage: cli_test.sh LJUNGCV BUILD_DIR
set -uo pipefail
ljungcv=$1
build=$2
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The file holds a line matching the pattern; '^$' means the file is empty.
matches() {
  if [[ $1 == '^$' ]]; then [[ ! -s $2 ]]; else grep -Eq -- "$1" "$2"; fi
}

# check NAME EXPECTED_EXIT EXPECTED_STDOUT_REGEX EXPECTED_STDERR_REGEX -- COMMAND...
check() {
  local name=$1 want_exit=$2 want_out=$3 want_err=$4
  shift 5
  "$@" >"$work/out" 2>"$work/err" </dev/null
  local got=$?
  if [[ $got -ne $want_exit ]] || ! matches "$want_out" "$work/out" ||
     ! matches "$want_err" "$work/err"; then
    echo "FAIL $name: exit $got (want $want_exit)"
    sed 's/^/  out: /' "$work/out" | head -20
    sed 's/^/  err: /' "$work/err" | head -20
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

check "value" 0 '^3\.810087571983974$' '^$' -- "$ljungcv" 100 0.05
check "asymptotic value" 0 '^3\.4038115277368' '^$' -- "$ljungcv" 10 0.05 ljung
check "digits" 0 '^3\.8101$' '^$' -- "$ljungcv" --digits 4 100 0.05
check "infinity at alpha 0" 0 '^inf$' '^$' -- "$ljungcv" 100 0 L
check "alpha rejected" 1 '^$' 'argument 2 \(alpha\) rejected: alpha = 0\.5 must lie between 0 and 0\.1.*120836' -- "$ljungcv" 100 0.5
check "n rejected" 1 '^$' 'argument 1 \(n\) rejected.*120836' -- "$ljungcv" nan 0.05
check "method rejected" 1 '^$' "argument 3 \(method\) rejected: 'CORRE' is not one of" -- "$ljungcv" 10 0.05 CORRE
check "missing result" 2 '^$' "LJUNGCV\(1\.5, 0\.05, 'L'\) gave no value: the asymptotic method needs n >= 2 \(status 120833\)" -- "$ljungcv" 1.5 0.05 L
check "missing at alpha 0" 2 '^$' 'corrected method needs a larger alpha' -- "$ljungcv" 100 0
check "missing at a tiny alpha" 2 '^$' 'sqrt\(1 \+ alpha\) rounds to 1' -- "$ljungcv" 100 3e-16
check "missing below one statistic" 2 '^$' 'single statistic: the corrected curve has turned down.*L, gives 8\.198' \
  -- "$ljungcv" 200000000 0.000001
check "n below one" 2 '^$' 'n truncates to a count below 1' -- "$ljungcv" 0.5 0.05
check "usage: one argument" 64 '^$' 'both N and ALPHA are needed' -- "$ljungcv" 100
check "usage: not a number" 64 '^$' "'abc' is not a number" -- "$ljungcv" abc 0.05
check "usage: bad option" 64 '^$' 'Usage: ljungcv' -- "$ljungcv" --bogus 1 2
check "no module" 69 '^$' 'cannot load module /nonexistent/korvalen.so' -- "$ljungcv" --module /nonexistent/korvalen.so 100 0.05
check "table" 0 '^ +100 +0\.05 C +3\.810087571983974  ok$' '^$' -- "$ljungcv" table --n 2,100 --alpha 0.05
check "table csv" 0 '^20,0\.05,L,3\.496758743466928,ok$' '^$' -- "$ljungcv" --table --csv --n 10:30:10 --alpha 0.05 --method L
check "table geometric range" 0 '^1000,0\.01,C,' '^$' -- "$ljungcv" table --csv --n 10:1000:*10 --alpha 0.01 --method C
check "table bad range" 64 '^$' "cannot read '1:x'" -- "$ljungcv" table --n 1:x
check "version" 0 '^korvalen [0-9]\.[0-9]{2}\.[0-9]{2}[A-Z0-9]{3}[0-9]{6} built [A-Z][a-z]{2} [ 123][0-9] [0-9]{4}$' '^$' -- "$ljungcv" --version
check "describe" 0 '^arguments 2 to 3' '^$' -- "$ljungcv" describe
check "describe names the function" 0 '^function  LJUNGCV$' '^$' -- "$ljungcv" --describe

printf 'n,alpha,method\n100,0.05\n10,0.05,L\nabc,0.05\n1,0.05,L\n100,0.5,C\n5,0.01, corr \n' >"$work/rows.csv"
check "batch file: good row" 0 '^100,0\.05,,3\.810087571983974,ok,$' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: bad row kept" 0 '^abc,0\.05,,,error,"line 4: expected' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: rejected row" 0 '^100,0\.5,C,,rejected,argument 2' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: missing row" 0 "^1,0\.05,L,,missing,\"LJUNGCV\(1, 0\.05, 'L'\)" '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: blank-framed keyword" 0 '^5,0\.01, corr ,3\.29171740208364' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch stdin" 0 '^10,0\.05,L,3\.4038115277368,ok,$' '^$' -- bash -c "\"$ljungcv\" --batch < \"$work/rows.csv\""
rows=$("$ljungcv" batch "$work/rows.csv" | wc -l)
[[ $rows -eq 7 ]] && echo "ok   batch: one row out per row in" ||
  { echo "FAIL batch: $rows rows out for 6 in"; failures=$((failures + 1)); }
check "batch unreadable file" 64 '^$' 'cannot read' -- "$ljungcv" batch "$work/none.csv"

# The installed layout: ljungcv finds the installed module without options.
if cmake --install "$build" --prefix "$work/prefix" >/dev/null; then
  check "installed" 0 '^3\.810087571983974$' '^$' -- "$work/prefix/bin/ljungcv" 100 0.05
  check "installed module" 0 "module $work/prefix/lib[^/]*/korvalen\.so" '^$' -- "$work/prefix/bin/ljungcv" --version
  for header in module/korvalen.h module/abi.hpp critval/critval.hpp critval/ljungcv.hpp linsolve/linsolve.hpp; do
    [[ -f $work/prefix/include/korvalen/$header ]] && echo "ok   installed $header" ||
      { echo "FAIL installed header $header"; failures=$((failures + 1)); }
  done
else
  echo "FAIL cmake --install"
  failures=$((failures + 1))
fi

echo "$failures failed"
[[ $failures -eq 0 ]]
