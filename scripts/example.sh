#!/usr/bin/env bash
# Builds the release tree and prints LJUNGCV(100, 0.05) through the stand-in host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
./build/release/ljungcv 100 0.05 "$@"
