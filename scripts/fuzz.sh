#!/usr/bin/env bash
# Runs each libFuzzer target for a bounded time from its seed corpus; new
# inputs go to build/fuzz/corpus/TARGET. Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
bash scripts/setup.sh test
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
for target in function_entry fields solver; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  echo "== $target: ${seconds}s"
  log=build/fuzz/$target.log
  if ! build/fuzz/fuzz/${target}_fuzz -max_total_time="$seconds" -rss_limit_mb=4096 \
      -artifact_prefix=build/fuzz/$target- "$work" fuzz/corpus/$target >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzzing $target failed; the input is in build/fuzz/$target-*" >&2
    exit 1
  fi
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log"
done
