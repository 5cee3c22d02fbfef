#!/usr/bin/env bash
# Two clean release builds of korvalen.so in different directories, at one
# SOURCE_DATE_EPOCH, must be identical byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1765000000)}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for tree in first second-tree; do
  cmake -S . -B "$work/$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVALEN_TESTS=OFF \
    -DKORVALEN_BENCH=OFF -DKORVALEN_CLI=OFF >/dev/null
  cmake --build "$work/$tree" --target korvalen >/dev/null
done
if cmp "$work/first/module/korvalen.so" "$work/second-tree/module/korvalen.so"; then
  echo "reproducible: korvalen.so identical in two build trees (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
else
  echo "NOT reproducible: korvalen.so differs between build trees" >&2
  exit 1
fi
