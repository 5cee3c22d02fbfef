#!/usr/bin/env bash
# The C API's exports are written in four places that must agree: the header's
# KORVALEN_API declarations, the linker's version script, the Debian symbols
# file and the ABI record; and the built library exports exactly those.
# Usage: exports_test.sh SOURCE_DIR LIBRARY
set -uo pipefail
source=$1 library=$2
names() { sort -u | grep .; }
header=$(grep -oE 'KORVALEN_API [^(]*\b(korvalen_[a-z_]+)\(' "$source/include/korvalen/korvalen.h" |
  sed -E 's/.*\b(korvalen_[a-z_]+)\($/\1/' | names)
map=$(grep -oE '^ +korvalen_[a-z_]+;' "$source/api/libkorvalen.map" | tr -d ' ;' | names)
symbols=$(grep -oE '^ korvalen_[a-z_]+@' "$source/debian/libkorvalen1.symbols" | tr -d ' @' | names)
record=$(grep -oE "elf-symbol name='korvalen_[a-z_]+'" "$source/abi/libkorvalen.so.1.abi" |
  sed -E "s/.*'(.*)'/\1/" | names)
built=$(nm -D --defined-only "$library" | awk '$2 == "T" { sub(/@.*/, "", $3); print $3 }' | names)
failed=0
for place in map symbols record built; do
  if [[ ${!place} != "$header" ]]; then
    echo "FAIL $place differs from the header:"
    diff <(echo "$header") <(echo "${!place}")
    failed=$((failed + 1))
  fi
done
echo "$(wc -l <<<"$header") names in 5 places: $((4 - failed)) passed, $failed failed"
((failed == 0))
