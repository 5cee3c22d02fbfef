#!/usr/bin/env bash
# Builds and runs every test: the release build, the AddressSanitizer and
# UndefinedBehaviorSanitizer build, the ThreadSanitizer build, the fuzz
# corpora as regression tests, the byte-for-byte reproducibility check, and
# the Debian package (built, checked by lintian, its ljungcv run), and the R
# package (built, checked, installed). The Python package's tests run in the
# release workflow.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --workflow --preset release
cmake --workflow --preset dev
cmake --workflow --preset tsan
cmake --workflow --preset fuzz
bash scripts/reproducible.sh
bash scripts/package.sh
bash scripts/r-package.sh
