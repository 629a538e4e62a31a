#!/usr/bin/env bash
# Runs each libFuzzer target (clang, address and undefined-behaviour sanitizers) for a
# bounded time from its seed corpus in fuzz/corpus/<target>. The targets live in the
# sanitized tree of scripts/build-asan.sh; they are built there when missing.
# FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
targets=$(for source in "$root"/fuzz/*.cpp; do basename "$source" .cpp; done)
VTX_TARGETS="$targets" "$root/scripts/build-asan.sh"
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
for name in $targets; do
  work=$(mktemp -d)
  [ -d "$root/fuzz/corpus/$name" ] && cp -r "$root/fuzz/corpus/$name/." "$work/"
  echo "fuzzing $name for ${seconds}s"
  "$root/build-asan/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 12
  rm -rf "$work"
done
