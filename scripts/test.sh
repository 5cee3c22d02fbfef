#!/usr/bin/env bash
# Builds and runs every test: the release build (with the Python package
# built from its sdist into a venv and tested there), the AddressSanitizer and
# UndefinedBehaviorSanitizer build, the ThreadSanitizer build, the fuzz
# corpora as regression tests, the byte-for-byte reproducibility check, the R
# package (installed from the checkout, built, checked --as-cran, installed
# from its tarball and against a system libkorvalen), every surface against
# the others on random inputs, every example of the documentation, and the
# Debian packages
# (built, lintian, the ABI record, installed, autopkgtest, purged).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
cmake --workflow --preset release
cmake --workflow --preset dev
cmake --workflow --preset tsan
cmake --workflow --preset fuzz
bash scripts/reproducible.sh
bash scripts/r-package.sh
# The C library, ljungcv batch, Python and R on the same 10,000 random rows.
build/release/python-venv/bin/python tests/bindings/cross_surface.py build/release build/r/library
# Every example in the README and docs/ prints what it shows.
build/release/python-venv/bin/python tests/docs/examples_test.py build/release build/r/library
bash scripts/package.sh
