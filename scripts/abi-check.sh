#!/usr/bin/env bash
# libkorvalen.so.1 against its committed ABI record (abi/libkorvalen.so.1.abi,
# written by abidw from a build with debug information): additions pass; a
# changed or removed function, variable or symbol fails.
# Usage: scripts/abi-check.sh LIBRARY        (built with -g, as the packages are)
#        scripts/abi-check.sh --record LIBRARY   (writes the record anew)
set -uo pipefail
cd "$(dirname "$0")/.."
record=abi/libkorvalen.so.1.abi
if [[ ${1:-} == --record ]]; then
  abidw --no-corpus-path --no-show-locs --headers-dir include/korvalen "$2" >"$record"
  echo "wrote $record from $2"
  exit
fi
library=$1
report=$(abidiff --headers-dir1 include/korvalen --headers-dir2 include/korvalen "$record" "$library")
status=$?
if ((status & 3)); then  # abidiff itself failed, or was used wrongly
  echo "abidiff could not compare $library with $record (status $status)" >&2
  echo "$report" >&2
  exit 1
fi
# The summaries read "N Removed, N Changed, N Added ..." (symbols: "N Removed, N Added").
breaking=$(grep -E 'changes summary:' <<<"$report" |
  grep -Ev 'summary: 0 Removed(, 0 Changed)?(, [0-9]+ Added.*)?$' || true)
if [[ -n $breaking ]]; then
  echo "ABI of libkorvalen.so.1 changed against $record:" >&2
  echo "$report" >&2
  exit 1
fi
added=$(grep -Eo '[1-9][0-9]* Added (function|variable)' <<<"$report" | sort -u | paste -sd, || true)
echo "ABI of libkorvalen.so.1: as in $record${added:+ (added: $added)}"
