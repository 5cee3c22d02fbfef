#!/usr/bin/env bash
# Builds the release tree and prints LJUNGCV(100, 0.05) through the stand-in host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# What the value needs, no more: the tests come with scripts/test.sh.
cmake --preset release -DKORVALEN_TESTS=OFF -DKORVALEN_BENCH=OFF >/dev/null
cmake --build --preset release >/dev/null
./build/release/ljungcv 100 0.05 "$@"
