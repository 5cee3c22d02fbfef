#!/usr/bin/env bash
# Builds the R package from bindings/r with the core and the C API brought in
# from the tree (no copies are kept in bindings/r), checks it with
# `R CMD check --no-manual` (no ERROR or WARNING allowed), installs it and runs
# the README's example. Leaves build/r/korvalen_VERSION.tar.gz.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
out=$PWD/build/r
rm -rf "$out"
mkdir -p "$out"
stage=$out/stage/korvalen
mkdir -p "$stage"
cp -r bindings/r/. "$stage/"
mkdir -p "$stage/src/korvalen/include/korvalen" "$stage/src/korvalen/api"
cp include/korvalen/korvalen.h "$stage/src/korvalen/include/korvalen/"
cp api/korvalen.cpp "$stage/src/korvalen/api/"
cp -r core "$stage/src/korvalen/"
cp bindings/fixture.csv "$stage/tests/testthat/"

cd "$out"
R CMD build --no-manual stage/korvalen >build.log 2>&1 || { cat build.log >&2; exit 1; }
tarball=$(ls korvalen_*.tar.gz)
echo "built build/r/$tarball"
_R_CHECK_FORCE_SUGGESTS_=true R CMD check --no-manual "$tarball" >check.log 2>&1 || true
if grep -E '^\* .*\.\.\. (ERROR|WARNING)' korvalen.Rcheck/00check.log ||
   ! grep -q '^Status: ' korvalen.Rcheck/00check.log; then
  cat check.log >&2
  exit 1
fi
grep '^Status: ' korvalen.Rcheck/00check.log | sed 's/^/R CMD check: /'
mkdir -p library
R CMD INSTALL -l library "$tarball" >install.log 2>&1 || { cat install.log >&2; exit 1; }
R_LIBS=library Rscript -e 'library(korvalen); print(ljungcv(c(10, 100), 0.05), digits = 10)'
