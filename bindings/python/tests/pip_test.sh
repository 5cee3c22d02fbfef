#!/usr/bin/env bash
# pip builds and installs the package from bindings/python (no build
# isolation: numpy and pybind11 are Debian's), and it imports and computes.
# Usage: pip_test.sh PYTHON
set -euo pipefail
python=$1
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work" "$here/build" "$here"/*.egg-info' EXIT
"$python" -m pip install -q --no-build-isolation --no-deps --target "$work/site" "$here" \
  2> >(grep -v "Running pip as the 'root' user" >&2)
cd "$work"
PYTHONPATH=$work/site "$python" -c '
import korvalen
values = korvalen.ljungcv([10, 100], 0.05)
assert list(values) == [3.0871103446000845, 3.810087571983974], values
print("pip-installed korvalen", korvalen.__version__, values)'
