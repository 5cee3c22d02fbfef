#!/usr/bin/env bash
# The R package as its users install it, from bindings/r:
#   R CMD INSTALL from the checkout;
#   R CMD build, and R CMD check --as-cran --no-manual of the tarball (Status: OK,
#   nothing less; offline, so no incoming checks and the local clock);
#   R CMD INSTALL of the tarball in an empty folder elsewhere (into build/r/library);
#   the same tarball against a system libkorvalen found with pkg-config.
# Leaves build/r/korvalen_VERSION.tar.gz and build/r/library.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
root=$PWD
out=$root/build/r
rm -rf "$out"
mkdir -p "$out/checkout-library" "$out/library" "$out/system-library"
example='library(korvalen); stopifnot(identical(ljungcv(c(10, 100), 0.05), c(3.0871103446000845, 3.810087571983974)))'

tree_state() { git status --porcelain --ignored --untracked-files=all bindings/r; }
before=$(tree_state)
KORVALEN_BUNDLED=1 R CMD INSTALL --clean -l "$out/checkout-library" bindings/r >"$out/checkout.log" 2>&1 ||
  { cat "$out/checkout.log" >&2; exit 1; }
R_LIBS=$out/checkout-library Rscript -e "$example"
[[ $(tree_state) == "$before" ]] ||
  { echo "R CMD INSTALL left files in bindings/r:" >&2; diff <(echo "$before") <(tree_state) >&2; exit 1; }
echo "R CMD INSTALL bindings/r: installed from the checkout"

cd "$out"
KORVALEN_BUNDLED=1 R CMD build --no-manual "$root/bindings/r" >build.log 2>&1 || { cat build.log >&2; exit 1; }
tarball=$(ls korvalen_*.tar.gz)
for file in inst/doc/critical-values.html NEWS.md src/korvalen/core/critval/level.cpp src/korvalen/statuses/host_outcomes.hpp; do
  tar -tzf "$tarball" "korvalen/$file" >/dev/null 2>&1 || { echo "$tarball lacks $file" >&2; exit 1; }
done
echo "built build/r/$tarball: the vignette as HTML, NEWS and the core's sources"

KORVALEN_BUNDLED=1 _R_CHECK_CRAN_INCOMING_=false _R_CHECK_SYSTEM_CLOCK_=FALSE \
  R CMD check --as-cran --no-manual "$tarball" >check.log 2>&1 || true
if ! grep -qx 'Status: OK' korvalen.Rcheck/00check.log; then
  cat check.log >&2
  exit 1
fi
echo "R CMD check --as-cran: Status: OK"

elsewhere=$(mktemp -d)
trap 'rm -rf "$elsewhere"' EXIT
cp "$tarball" "$elsewhere/"
(cd "$elsewhere" && KORVALEN_BUNDLED=1 R CMD INSTALL -l "$out/library" "$tarball" >install.log 2>&1) ||
  { cat "$elsewhere/install.log" >&2; exit 1; }
R_LIBS=$out/library Rscript -e "$example"
R_LIBS=$out/library Rscript -e 'options(warn = 2); print(citation("korvalen"))' >/dev/null
echo "R CMD INSTALL of the tarball elsewhere: installed, and citation() without a warning"

# Against a system libkorvalen: the release tree installed into a prefix.
cmake --install "$root/build/release" --prefix "$elsewhere/prefix" >/dev/null
libdir=$(dirname "$(find "$elsewhere/prefix" -name libkorvalen.so.1)")
LD_LIBRARY_PATH=$libdir PKG_CONFIG_PATH=$libdir/pkgconfig R CMD INSTALL -l "$out/system-library" "$tarball" >system.log 2>&1 ||
  { cat system.log >&2; exit 1; }
grep -q '^korvalen: linking the system libkorvalen' system.log ||
  { echo "configure did not take the system libkorvalen:" >&2; cat system.log >&2; exit 1; }
readelf -d "$out/system-library/korvalen/libs/korvalen.so" | grep -q 'NEEDED.*libkorvalen\.so\.1' ||
  { echo "the package's korvalen.so does not need libkorvalen.so.1" >&2; exit 1; }
LD_LIBRARY_PATH=$libdir R_LIBS=$out/system-library Rscript -e "$example"
echo "R CMD INSTALL with a system libkorvalen: linked libkorvalen.so.1"
