#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour sanitizers) and
# runs each for a bounded time from its seed corpus in fuzz/corpus/<target>.
# FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ "$root/scripts/build.sh" "$root/build-fuzz" \
  -DVTX_BUILD_FUZZ=ON -DVTX_BUILD_BENCH=OFF -DVTX_SANITIZE=address,undefined
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
shopt -s nullglob
for source in "$root"/fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  work=$(mktemp -d)
  [ -d "$root/fuzz/corpus/$name" ] && cp -r "$root/fuzz/corpus/$name/." "$work/"
  echo "fuzzing $name for ${seconds}s"
  "$root/build-fuzz/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
done
