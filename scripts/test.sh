#!/usr/bin/env bash
# Builds and runs every test: the release build, the AddressSanitizer and
# UndefinedBehaviorSanitizer build, the ThreadSanitizer build, the fuzz
# corpora as regression tests, and the byte-for-byte reproducibility check.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --workflow --preset release
cmake --workflow --preset dev
cmake --workflow --preset tsan
cmake --workflow --preset fuzz
bash scripts/reproducible.sh
