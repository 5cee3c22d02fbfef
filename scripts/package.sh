#!/usr/bin/env bash
# Builds the Debian package with `cpack -G DEB` from a release tree configured
# for /usr, checks it with lintian (no error allowed), and runs the packaged
# ljungcv from the unpacked files.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
build=build/package
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKORVALEN_TESTS=OFF -DKORVALEN_BENCH=OFF >/dev/null
cmake --build "$build" >/dev/null
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
deb=$(ls "$build"/package/*.deb)
echo "built $deb"
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "lintian: no error"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
value=$("$unpacked/usr/bin/ljungcv" 100 0.05)
[[ $value == 3.810087571983974 ]] || { echo "packaged ljungcv printed '$value'" >&2; exit 1; }
"$unpacked/usr/bin/ljungcv" describe | grep -q '^function  LJUNGCV, 2 to 3 arguments$'
echo "packaged ljungcv: LJUNGCV(100, 0.05) = $value"
