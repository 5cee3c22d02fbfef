#!/usr/bin/env bash
# Builds and runs every test: the release build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --workflow --preset release
cmake --workflow --preset dev
bash scripts/reproducible.sh
