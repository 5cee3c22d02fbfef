#!/usr/bin/env bash
# The one version: VERSION, as the C library reports it and as the R package,
# the citation, the Debian changelog and the man pages carry it.
# Usage: version_test.sh SOURCE_DIR BUILD_DIR LIBRARY
set -uo pipefail
source=$1 build=$2 library=$3
version=$(head -n 1 "$source/VERSION")
failed=0
check() {  # WHERE TEXT: TEXT holds the version
  if [[ $2 == *"$version"* ]]; then echo "ok   $1"; else
    echo "FAIL $1: '$2' is not $version"; failed=$((failed + 1)); fi
}
# The string korvalen_version() returns, read from the file: a sanitized
# build's library cannot be loaded into a plain interpreter.
check "the library" "$(strings -a "$library" | grep -xE '[0-9]+\.[0-9]+\.[0-9]+' | head -n 1)"
check "R's DESCRIPTION" "$(sed -n 's/^Version: //p' "$source/bindings/r/DESCRIPTION")"
check "CITATION.cff" "$(sed -n 's/^version: //p' "$source/CITATION.cff")"
check "debian/changelog" "$(head -n 1 "$source/debian/changelog" | sed 's/^korvalen (\(.*\)) .*/\1/')"
for page in ljungcv.1 korvalen.3; do
  check "$page" "$(grep '^\.TH' "$build/generated/doc/$page")"
done
echo "$((6 - failed)) passed, $failed failed"
((failed == 0))
