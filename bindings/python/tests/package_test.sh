#!/usr/bin/env bash
# The Python package as its users get it: an sdist and a wheel from
# bindings/python, a wheel built again from the sdist alone in an empty
# directory, installed into a venv of Debian's interpreter (for its NumPy),
# then its tests, its types (mypy --strict on a user's script) and an import
# from the build tree. Leaves the venv for the benchmarks.
# Usage: package_test.sh PYTHON BUILD_DIR
set -euo pipefail
python=$1
build=$(realpath "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
dist=$build/python-dist
venv=$build/python-venv
rm -rf "$dist" "$venv"
work=$(mktemp -d)
trap 'rm -rf "$work" "$here"/*.egg-info' EXIT

"$python" -m build --no-isolation --outdir "$dist" "$here" >"$work/build.log" 2>&1 ||
  { cat "$work/build.log"; exit 1; }
sdist=$(ls "$dist"/korvalen-*.tar.gz)
mkdir "$work/alone" && tar -xzf "$sdist" -C "$work/alone"
(cd "$work/alone"/korvalen-* && "$python" -m build --no-isolation --wheel --outdir "$work/wheel" . \
   >"$work/wheel.log" 2>&1) || { cat "$work/wheel.log"; exit 1; }
wheel=$(ls "$work/wheel"/korvalen-*.whl)
echo "ok   sdist $(basename "$sdist"), and from it alone $(basename "$wheel")"

"$python" -m venv --system-site-packages "$venv"
"$venv/bin/python" -m pip install -q --no-index --no-deps "$wheel"
site=$("$venv/bin/python" -c 'import korvalen, os; print(os.path.dirname(korvalen.__file__))')
[[ $site == "$venv"/* && -f $site/py.typed ]] || { echo "FAIL installed as $site, without py.typed?"; exit 1; }
echo "ok   installed into the venv, with py.typed"

(cd "$work" && "$venv/bin/python" -m pytest -q -p no:cacheprovider "$here/tests")
(cd "$work" && "$venv/bin/python" -m mypy --strict --no-incremental "$here/tests/typed_example.py")
# The stubs themselves, read as source: no overloads that overlap.
(cd "$work" && "$venv/bin/python" -m mypy --strict --no-incremental --ignore-missing-imports \
  "$site/__init__.pyi")
# Every line marked as a mistake, and no other, is an error.
misuse=$here/tests/typed_misuse.py
reported=$(cd "$work" && { "$venv/bin/python" -m mypy --strict --no-incremental "$misuse" || true; } |
  sed -nE 's/^.*typed_misuse\.py:([0-9]+): error:.*/\1/p' | sort -un)
marked=$(grep -n '# mistake$' "$misuse" | cut -d: -f1)
if [[ $reported == "$marked" ]]; then
  echo "ok   mypy --strict reports each of the $(wc -l <<<"$marked") mistakes in typed_misuse.py"
else
  echo "FAIL mypy --strict reported lines $(echo $reported), the mistakes are on $(echo $marked)"; exit 1
fi
# Where the build tree's files lie (korvalen.so among them, in module/), the
# package is still the one imported.
(cd "$build" && "$venv/bin/python" -c 'import korvalen; assert korvalen.ljungcv(100, 0.05) == 3.810087571983974')
echo "ok   import korvalen in $build"
# From inside the source folder, the source folder is found first: an
# ImportError that says so, not a circular import.
said=$(cd "$here" && "$venv/bin/python" -c 'import korvalen' 2>&1 || true)
if [[ $said == *"korvalen's native part is not built"* ]]; then
  echo "ok   import from the source folder says what to do"
else
  echo "FAIL import from the source folder"; exit 1
fi
