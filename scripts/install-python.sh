#!/usr/bin/env bash
# Installs the Python package for Debian's python3 (/usr/bin/python3, whose
# numpy comes from Debian) into /usr/local, where that interpreter finds it.
# Debian marks its own Python as externally managed; /usr/local is the place
# it leaves to the administrator, hence --break-system-packages, which touches
# nothing of Debian's. Usage: scripts/install-python.sh [PIP OPTIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
/usr/bin/python3 -m pip install --no-build-isolation --no-deps --break-system-packages "$@" \
  bindings/python
rm -rf bindings/python/build bindings/python/*.egg-info
cd /
/usr/bin/python3 -c 'import korvalen; print("korvalen", korvalen.__version__, "for", __import__("sys").executable)'
