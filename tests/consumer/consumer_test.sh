#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, then builds and runs a C11
# program with pkg-config and a CMake project with find_package against it,
# and checks the names the shared library exports.
# Usage: consumer_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
failures=0
expect() {  # NAME FILE REGEX
  if grep -Eq -- "$3" "$2"; then echo "ok   $1"; else
    echo "FAIL $1"; sed 's/^/  /' "$2"; failures=$((failures + 1)); fi
}

libdir=$(dirname "$(find "$work/prefix" -name korvalen.pc)")/..
export PKG_CONFIG_PATH=$libdir/pkgconfig
cc -std=c11 -Wall -Wextra -Werror -pedantic "$here/consumer.c" -o "$work/c" \
  $(pkg-config --cflags --libs korvalen)
LD_LIBRARY_PATH=$libdir "$work/c" >"$work/c.out"
expect "C11 via pkg-config: value" "$work/c.out" '^value 3\.810087571983974 status 0 rejected 0$'
expect "C11 via pkg-config: rejected alpha" "$work/c.out" '^status 120836 rejected 2$'
expect "C11 via pkg-config: version" "$work/c.out" '^korvalen [0-9]+\.[0-9]+\.[0-9]+$'
expect "C11 via pkg-config: the reason" "$work/c.out" '^why argument 2 \(alpha\) rejected: alpha = 0\.2 must lie between 0 and 0\.1 inclusive \(status 120836\) \(93\)$'

cmake -S "$here" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/cmake/consumer_c" >"$work/cmake.out"
expect "CMake find_package: value" "$work/cmake.out" '^value 3\.810087571983974 status 0 rejected 0$'
expect "CMake find_package: rejected alpha" "$work/cmake.out" '^status 120836 rejected 2$'
"$work/cmake/consumer_cxx" >"$work/static.out"
expect "CMake static library" "$work/static.out" '^value 3\.810087571983974 status 0'
expect "CMake names the module" "$work/static.out" '^module found$'

library=$(find "$work/prefix" -name 'libkorvalen.so.*.*')
# Every export is the API's (the list itself is held together by api_exports);
# a single @ marks an older version kept for programs built against it.
others=$(nm -D --defined-only "$library" | awk '{ print $3 }' | grep -Ev '^(korvalen_[a-z_]+@@?KORVALEN_1(\.[0-9]+)?|KORVALEN_1(\.[0-9]+)?)$' || true)
if [[ -z $others ]]; then echo "ok   exports only korvalen_ names"; else
  echo "FAIL exports: $others"; failures=$((failures + 1)); fi
readelf -d "$library" >"$work/dynamic"
expect "SONAME carries the API version" "$work/dynamic" 'SONAME.*\[libkorvalen\.so\.1\]'
if grep NEEDED "$work/dynamic" | grep -qv 'libc\.so\|libm\.so'; then
  echo "FAIL needs more than libc and libm"; grep NEEDED "$work/dynamic"; failures=$((failures + 1))
else
  echo "ok   needs only libc and libm"
fi
echo "$failures failed"
[[ $failures -eq 0 ]]
