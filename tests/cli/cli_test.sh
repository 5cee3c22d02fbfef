#!/usr/bin/env bash
# ljungcv run as a process: values, tables, batches, errors and exit codes,
# version and describe, a missing module, and the installed layout.
# Usage: cli_test.sh LJUNGCV BUILD_DIR
set -uo pipefail
ljungcv=$(realpath "$1")
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
check "missing result" 2 '^$' "LJUNGCV\(1\.5, 0\.05\) by the asymptotic method gave no value: the asymptotic method needs n >= 2 \(status 120833\)" -- "$ljungcv" 1.5 0.05 L
check "missing at alpha 0" 2 '^$' 'corrected method needs a larger alpha' -- "$ljungcv" 100 0
check "missing at a tiny alpha" 2 '^$' 'sqrt\(1 \+ alpha\) rounds to 1' -- "$ljungcv" 100 3e-16
check "missing below one statistic" 2 '^$' 'single statistic: the corrected curve has turned down.*L, gives 8\.198' \
  -- "$ljungcv" 200000000 0.000001
check "n below one" 2 '^$' 'n truncates to a count below 1' -- "$ljungcv" 0.5 0.05
check "exact value" 0 '^3\.473978869154048$' '^$' -- "$ljungcv" exact 100 0.05
check "exact value far in the tail" 0 '^37\.' '^$' -- "$ljungcv" exact 1 1e-300
check "exact alpha rejected" 1 '^$' 'alpha = 1\.5 must lie between 0 and 1 inclusive' -- "$ljungcv" exact 100 1.5
check "exact without a value" 2 '^$' 'no exact critical value for n = 0' -- "$ljungcv" exact 0 0.05
check "exact needs both" 64 '^$' 'ALPHA' -- "$ljungcv" exact 100
# The level column is the level of the value as written (rounded by --digits).
check "table level column" 0 '^100,0\.05,L,3\.810,0\.01380151841328651,ok,$' '^$' \
  -- "$ljungcv" table --csv --level --digits 3 --n 100 --alpha 0.05 --method L
check "table level header and no value" 2 '^0,0\.05,"",,,missing,' '^$' \
  -- "$ljungcv" table --csv --level --n 0 --alpha 0.05 --method ''
check "text table level" 0 '^ +8000 +0\.05 C +4\.485305842942268 +0\.05658381139853231  ok$' '^$' \
  -- "$ljungcv" table --level --n 8000 --alpha 0.05 --method C
check "usage: one argument" 64 '^$' 'N and ALPHA are needed' -- "$ljungcv" 100
check "usage: not a number" 64 '^$' "'abc' is not a decimal number" -- "$ljungcv" abc 0.05
check "usage: hexadecimal" 64 '^$' "'0x10' is not a decimal number" -- "$ljungcv" 0x10 0.05
check "usage: extra argument" 64 '^$' 'not expected: extra' -- "$ljungcv" 100 0.05 L extra
check "usage: bad option" 64 '^$' '^see ljungcv --help$' -- "$ljungcv" --bogus 1 2
check "no module" 69 '^$' 'cannot load module /nonexistent/korvalen.so' -- "$ljungcv" --module /nonexistent/korvalen.so 100 0.05
check "table" 0 '^ +100 +0\.05 C +3\.810087571983974  ok$' '^$' -- "$ljungcv" table --n 2,100 --alpha 0.05
check "table csv" 0 '^20,0\.05,L,3\.496758743466928,ok,$' '^$' -- "$ljungcv" --table --csv --n 10:30:10 --alpha 0.05 --method L
check "table geometric range" 0 '^1000,0\.01,C,' '^$' -- "$ljungcv" table --csv --n 10:1000:*10 --alpha 0.01 --method C
check "table bad range" 64 '^$' "'1:x' is not a number or a range" -- "$ljungcv" table --n 1:x
check "table: n in positional notation" 0 '^200000,0\.06,,' '^$' -- "$ljungcv" table --csv --n 2e5 --alpha 0.01:0.1:0.01 --method default
check "table: options after the subcommand" 0 '^10,0\.05,C,3\.087,ok,$' '^$' -- "$ljungcv" table --csv --n 10 --alpha 0.05 --digits 3
check "version" 0 '^ljungcv [0-9]+\.[0-9]+\.[0-9]+$' '^$' -- "$ljungcv" --version
check "version: module release" 0 '^module release: +[0-9]\.[0-9]{2}\.[0-9]{2}[A-Z0-9]{3}[0-9]{8}$' '^$' -- "$ljungcv" --version
check "describe" 0 '^function  LJUNGCV, 2 to 3 arguments$' '^$' -- "$ljungcv" --describe

printf 'n,alpha,method\n100,0.05\n10,0.05,L\n1,0.05,L\n100,0.5,C\n5,0.01," corr "\n' >"$work/rows.csv"
check "batch file: good row" 0 '^100,0\.05,,3\.810087571983974,ok,$' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: rejected row" 0 '^100,0\.5,C,,rejected,argument 2' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: missing row" 0 "^1,0\.05,L,,missing,\"LJUNGCV\(1, 0\.05\) by the asymptotic" '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch file: blank-framed keyword" 0 '^5,0\.01," corr ",3\.29171740208364' '^$' -- "$ljungcv" batch "$work/rows.csv"
check "batch stdin" 0 '^10,0\.05,L,3\.4038115277368,ok,$' '^$' -- bash -c "\"$ljungcv\" --batch - < \"$work/rows.csv\""
rows=$("$ljungcv" batch "$work/rows.csv" | wc -l)
[[ $rows -eq 6 ]] && echo "ok   batch: one row out per row in" ||
  { echo "FAIL batch: $rows rows out for 5 in"; failures=$((failures + 1)); }
printf '10,0.05\nabc,0.05\n1,2,3,4\n100,0.05\n' >"$work/bad.csv"
check "batch: bad rows kept, counted, exit 65" 65 "^abc,0\\.05,,,error,$work/bad.csv line 2: n 'abc' is not a number$" \
  "2 rows could not be read.*line 2" -- "$ljungcv" batch "$work/bad.csv"

# Read and write errors: a message naming the file and the reason, exit 74.
check "batch: missing file" 74 '^$' "cannot read $work/none.csv: No such file" -- "$ljungcv" batch "$work/none.csv"
check "batch: a directory" 74 '^n,alpha' "cannot read $work: Is a directory" -- "$ljungcv" batch "$work"
check "batch: closed input" 74 '^n,alpha' 'cannot read standard input: Bad file descriptor' -- bash -c "\"$ljungcv\" batch <&-"
for job in "100 0.05" "table" "batch $work/rows.csv" "--version"; do
  check "write error: $job" 74 '^$' 'cannot write standard output: No space left on device' \
    -- bash -c "\"$ljungcv\" $job >/dev/full"
done

# Ranges that never end, non-finite bounds and tables above the row limit.
for range in 0:10:*2 -1:10:*2 1:nan:1 1:10:0 10:1:1 1:10:*1 1:1e7:1; do
  check "range error $range" 64 '^$' "--n: '.*(never reaches|not finite|positive bounds|more than)" \
    -- "$ljungcv" table --n "$range"
done
check "table above --max-rows" 64 '^$' 'would have 6 rows, more than the 5 allowed' \
  -- "$ljungcv" table --n 1,2,3 --alpha 0.01,0.05 --method C --max-rows 5

# CSV as R and spreadsheets write it, read back by Python's csv module.
printf '\xef\xbb\xbf"N","Alpha","Method"\r\n"10",0.05,"L"\r\n\r\n 100 , 0.05 ,"a,""b"""\r\nNA,0.05\r\n10,,C\r\n10,0.05,"x\ny"\r\n' \
  >"$work/r.csv"
"$ljungcv" batch "$work/r.csv" >"$work/r.out"
if python3 - "$work/r.out" <<'PYTHON'; then echo "ok   csv round trip"; else echo "FAIL csv round trip"; failures=$((failures + 1)); fi
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline="")))
want = [["n", "alpha", "method", "value", "status"],
        ["10", "0.05", "L", "3.4038115277368", "ok"],
        ["100", "0.05", 'a,"b"', "", "rejected"],
        ["NA", "0.05", "", "", "rejected"],
        ["10", "", "C", "", "rejected"],
        ["10", "0.05", "x\\x0Ay", "", "rejected"]]
assert [r[:5] for r in rows] == want, rows
assert all(len(r) == 6 for r in rows), rows
assert "n is missing" in rows[3][5] and "alpha is missing" in rows[4][5], rows
PYTHON

# A row far longer than the limit is skipped without being held in memory (a
# sanitizer's shadow memory rules out the address-space limit there).
limit="ulimit -v 400000;"
ldd "$ljungcv" | grep -q 'libasan\|libtsan' && limit=""
check "long row in bounded memory" 65 '^100,0\.05,,3\.810087571983974,ok,$' 'line 2: longer than 65536 bytes' \
  -- bash -c "{ echo 10,0.05; head -c 200000000 /dev/zero | tr '\\0' x; echo; echo 100,0.05; } |
              ($limit \"$ljungcv\" batch)"

# Hostile but realistic input: one row per case.
sanitized=false
ldd "$ljungcv" | grep -q 'libasan\|libtsan' && sanitized=true
long_method=$(printf 'x%.0s' $(seq 300))
check "numbers beyond the doubles: 0" 0 '^inf$' '^$' -- "$ljungcv" 100 1e-400 L
check "numbers beyond the doubles: infinity" 2 '^$' 'LJUNGCV\(inf, 0\.05\).*count below 1' -- "$ljungcv" 1e400 0.05
check "a sign after a sign" 64 '^$' "'\+-5' is not a decimal number" -- "$ljungcv" +-5 0.05
check "--digits not whole" 64 '^$' "^ljungcv: --digits: '1e1' is not a whole number from 0 to 30$" -- "$ljungcv" --digits 1e1 100 0.05
check "--max-rows 0" 64 '^$' "^ljungcv: --max-rows: '0' is not a whole number of 1 or more$" -- "$ljungcv" table --max-rows 0
check "range with a huge exponent" 0 '^ +10 +0\.1 L +3\.08053' '^$' -- "$ljungcv" table --n 10 --alpha 0.0e-2147483648:0.1:0.05 --method L
check "text table: a long method keeps its rows" 0 "^ +20 +0\.05 x{300} +- +rejected  argument 3 \(method\) rejected" '^$' \
  -- bash -c "\"$ljungcv\" table --n 10,20 --alpha 0.05 --method $long_method; exit 0"
check "batch: CR line ends number the lines" 65 '^xyz,1,,,error,standard input line 4:' 'line 2: n .abc' \
  -- bash -c "printf '100,0.05\rabc,0.05\r300,0.05\rxyz,1\r' | \"$ljungcv\" batch"
check "batch: a byte-order mark in two reads" 0 '^100,0\.05,,3\.81' '^$' \
  -- bash -c "(printf '\xef'; sleep .3; printf '\xbb\xbfn,alpha\n100,0.05\n') | \"$ljungcv\" batch"
check "batch: an unclosed quote is named" 65 'the quote opened on line 2 is never closed: it took the rest of the input \(lines 2 to 4\)' 'line 2: the quote' \
  -- bash -c "printf '10,0.05\n10,\"0.05\n100,0.05\n300,0.05\n' | \"$ljungcv\" batch"
mkdir -p "$work/plant"
printf '#include <stdio.h>\n__attribute__((constructor)) static void p(void) { fclose(fopen("ran", "w")); }\n' >"$work/plant/p.c"
cc -shared -fPIC "$work/plant/p.c" -o "$work/plant/korvalen.so"
if $sanitized; then
  echo "skip no /proc: a sanitizer's runtime needs /proc"
elif unshare -m true 2>/dev/null; then
  check "no /proc: no module from the current directory" 69 '^$' 'cannot find the module: where this program lies is unknown' \
    -- bash -c "cd '$work/plant' && unshare -m sh -c 'mount -t tmpfs none /proc && exec \"$ljungcv\" 100 0.05'"
  [[ ! -e $work/plant/ran ]] && echo "ok   no /proc: the planted file did not run" ||
    { echo "FAIL no /proc: the planted korvalen.so ran"; failures=$((failures + 1)); }
else
  echo "skip no /proc: unshare -m is not permitted here"
fi
# A file cut short by its size limit keeps whole rows only.
check "write error: whole rows only" 74 '^$' 'cannot write standard output: File too large' \
  -- bash -c "ulimit -f 8; \"$ljungcv\" table --csv --n 1:3000:1 --alpha 0.05 --method L >'$work/cut.csv'"
[[ $(tail -c 1 "$work/cut.csv" | od -An -c) == *'\n'* ]] && grep -q ',L,[0-9.]*,ok,$' "$work/cut.csv" &&
  echo "ok   write error: the file ends with a whole row" ||
  { echo "FAIL write error: the file ends inside a row"; tail -c 80 "$work/cut.csv"; failures=$((failures + 1)); }
check "non-blocking standard output is waited on" 0 '^200001$' '^$' -- /usr/bin/python3 -c '
import fcntl, os, subprocess, sys, time
r, w = os.pipe()
fcntl.fcntl(w, fcntl.F_SETFL, fcntl.fcntl(w, fcntl.F_GETFL) | os.O_NONBLOCK)
p = subprocess.Popen([sys.argv[1], "table", "--csv", "--n", "2:200001:1", "--alpha", "0.05", "--method", "L"], stdout=w)
os.close(w)
time.sleep(0.5)
data = b"".join(iter(lambda: os.read(r, 1 << 16), b""))
print(data.count(b"\n")); sys.exit(p.wait())' "$ljungcv"
# Output that fails, whatever the input and the signals do: one line, exit 74.
mkfifo "$work/endless"
exec 3<>"$work/endless"  # held open: the input never ends
printf '100,0.05\n' >&3
check "write error with input still to come" 74 '^$' 'cannot write standard output: No space left' \
  -- bash -c "timeout 5 \"$ljungcv\" batch <'$work/endless' >/dev/full"
exec 3>&-
check "batch under a file size limit" 74 '^$' 'File too large' \
  -- bash -c "ulimit -f 8; seq 2 3000 | sed 's/$/,0.05/' | \"$ljungcv\" batch >'$work/cut.csv'"
check "SIGPIPE ignored: a cut-off output is an error" 74 '^ +n +alpha' 'cannot write standard output: Broken pipe' \
  -- bash -c "trap '' PIPE; \"$ljungcv\" table --n 0:200000:1 --alpha 0.05 | head -1; exit \${PIPESTATUS[0]}"
check "a range of 2^64 values" 64 '^$' "'0:1.8446744073709552e19:1' has 18446744073709551616 values, more than ljungcv can count" \
  -- "$ljungcv" table --max-rows 18446744073709551615 --n 0:1.8446744073709552e19:1 --alpha 0.05
check "a list above --max-rows counts the list" 64 '^$' "'4:5:1' brings the list to 5 values, more than the 3 allowed" \
  -- "$ljungcv" table --n 1:3:1,4:5:1 --max-rows 3
check "--max-rows beyond 64 bits" 64 '^$' 'is more than ljungcv can count' -- "$ljungcv" table --max-rows 99999999999999999999
check "batch: text after a closing quote stays in its field" 65 "^100x,0\\.05,,,error,standard input line 1: n '100x' is not a number$" 'n .100x' \
  -- bash -c "printf '\"100\"x,0.05\n' | \"$ljungcv\" batch"
check "batch: an empty method is the default, echoed as given" 0 '^100,0\.05,"",3\.81008757' '^$' \
  -- bash -c "printf '100,0.05,\n100,0.05\n' | \"$ljungcv\" batch"
check "no control byte goes out raw" 0 '^0$' '^$' -- bash -c "printf '10,0.05,\"a\\0b\\tc\\nd\"\n' |
  \"$ljungcv\" batch | /usr/bin/python3 -c 'import sys; print(sum(b < 32 and b != 10 or b == 127 for b in sys.stdin.buffer.read()))'"
check "a NUL in a method counts as one byte" 0 "\\.\\.\\.' \\(49 bytes\\) is not one of" '^$' \
  -- bash -c "printf '10,0.05,\"%s\\0b\"\n' $(printf 'a%.0s' $(seq 47)) | \"$ljungcv\" batch"
# An export of no rows with a byte-order mark, from a file and from a pipe
# that delivers it a byte or two at a time: a header-only output.
printf '\xef\xbb\xbf' >"$work/mark.csv"
check "a file that is only a byte-order mark" 0 '^n,alpha,method,value,status,message$' '^$' \
  -- "$ljungcv" batch "$work/mark.csv"
for pieces in "'\xef' '\xbb' '\xbf'" "'\xef\xbb' '\xbf'" "'\xef' '\xbb\xbf'"; do
  check "a byte-order mark alone in pieces $pieces" 0 '^n,alpha,method,value,status,message$' '^$' \
    -- bash -c "for p in $pieces; do printf \"\$p\"; sleep .1; done | \"$ljungcv\" batch"
done
check "batch: a CR LF inside quotes is the field's" 0 '^100,0\.05,L\\x0D\\x0AC,,rejected,' '^$' \
  -- bash -c "printf '100,0.05,\"L\r\nC\"\n' | \"$ljungcv\" batch"
# Control bytes from the command line or a file name never reach the terminal raw.
for args in "\$'1\\x1b[31m' 0.05" "batch \$'no\\x1bfile'" "--digits \$'\\a' 100 0.05" "--module \$'\\x1b' 100 0.05"; do
  eval "\"\$ljungcv\" $args" 2>"$work/err" >/dev/null
  if LC_ALL=C grep -q '[[:cntrl:]]' "$work/err" || ! grep -q '\\x' "$work/err"; then
    echo "FAIL a control byte on standard error: $args"; od -c "$work/err" | head -3; failures=$((failures + 1))
  else
    echo "ok   control bytes spelled on standard error: $args"
  fi
done
check "table: an empty method is the default, echoed \"\"" 0 '^10,0\.05,"",3\.0871103446000845,ok,$' '^$' \
  -- "$ljungcv" table --csv --n 10 --alpha 0.05 --method ''
check "table: its rows read back as a batch" 0 '^10,0\.05,"",3\.0871103446000845,ok,$' '^$' \
  -- bash -c "\"$ljungcv\" table --csv --n 10 --alpha 0.05 --method '' | cut -d, -f1-3 | \"$ljungcv\" batch"
check "text table: why a row has no value" 1 '^ +100 +5 C +- +rejected  argument 2 \(alpha\) rejected: alpha = 5' '^$' \
  -- "$ljungcv" table --n 100 --alpha 5 --method C
check "table: a list of methods" 0 '^10,0\.05,L,3\.4038115277368,ok,$' '^$' \
  -- "$ljungcv" table --csv --n 10 --alpha 0.05 --method C,L
check "help names what each option takes" 0 '^ +--n LIST' '^$' -- "$ljungcv" table --help
# A terminal sees the rows counted on standard error.
seq 2 200001 | sed 's/$/,0.05,L/' >"$work/many.csv"
if script -qec true /dev/null >/dev/null 2>&1; then
  check "progress on a terminal" 0 'ljungcv: 200000 rows, done' '^$' \
    -- script -qec "\"$ljungcv\" batch '$work/many.csv' >/dev/null" /dev/null
else
  echo "skip progress on a terminal: no script(1)"
fi
if ! $sanitized; then  # a sanitizer's shadow memory rules out address-space limits
  check "a long table in bounded memory" 0 '^ +3 +0\.05 L ' '^$' \
    -- bash -c "ulimit -v 200000; \"$ljungcv\" table --n 1:1e8:1 --alpha 0.05 --method L --max-rows 100000000 | head -n 4"
  long=$(head -c 65000 /dev/zero | tr '\0' x)
  for _ in $(seq 300); do printf '100,0.05,"%s"\n' "$long"; done >"$work/long.csv"
  check "batch of long rows in bounded memory" 0 '^301$' '^$' \
    -- bash -c "ulimit -v 50000; \"$ljungcv\" batch '$work/long.csv' | wc -l; exit \${PIPESTATUS[0]}"
  check "more memory never less success" 0 '^301 301 301 301 301 301 301$' '^$' -- bash -c "
    for limit in 12000 14000 16000 18000 20000 22000 24000; do
      (ulimit -v \$limit; \"$ljungcv\" batch '$work/long.csv' | wc -l; exit \${PIPESTATUS[0]}) || exit
    done | paste -sd ' '"
fi

# The installed layout: ljungcv finds the installed module without options.
if cmake --install "$build" --prefix "$work/prefix" >/dev/null; then
  check "installed" 0 '^3\.810087571983974$' '^$' -- "$work/prefix/bin/ljungcv" 100 0.05
  check "installed module" 0 "module file: +$work/prefix/lib[^ ]*/korvalen/korvalen\.so" '^$' -- "$work/prefix/bin/ljungcv" --version
  for header in korvalen.h module/exports.h module/records.hpp; do
    [[ -f $work/prefix/include/korvalen/$header ]] && echo "ok   installed $header" ||
      { echo "FAIL installed header $header"; failures=$((failures + 1)); }
  done
else
  echo "FAIL cmake --install"
  failures=$((failures + 1))
fi

echo "$failures failed"
[[ $failures -eq 0 ]]
