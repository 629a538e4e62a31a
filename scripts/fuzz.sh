#!/usr/bin/env bash
# Runs each libFuzzer target (clang, address and undefined-behaviour sanitizers) for a
# bounded time from its seed corpus in fuzz/corpus/<target>. The targets live in the
# sanitized tree of scripts/build-asan.sh; they are built there when missing.
# FUZZ_SECONDS sets the time per target (default 60). Inputs may be as long as the texts
# the targets must stand up to: 256 KiB for the patch-file target (a list nested 100 000
# deep is 200 KB), 64 KiB for the others; FUZZ_MAX_LEN sets one length for all.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
targets=$(for source in "$root"/fuzz/*.cpp; do basename "$source" .cpp; done)
VTX_TARGETS="$targets" "$root/scripts/build-asan.sh"
export ASAN_OPTIONS="detect_leaks=1 ${ASAN_OPTIONS:-}"
for name in $targets; do
  work=$(mktemp -d)
  [ -d "$root/fuzz/corpus/$name" ] && cp -r "$root/fuzz/corpus/$name/." "$work/"
  case "$name" in
    PatchFileFuzz) length=${FUZZ_MAX_LEN:-262144} ;;
    *) length=${FUZZ_MAX_LEN:-65536} ;;
  esac
  echo "fuzzing $name for ${seconds}s, inputs up to $length bytes"
  "$root/build-asan/fuzz/$name" -max_total_time="$seconds" -max_len="$length" -print_final_stats=1 "$work" 2>&1 |
    tail -n 12
  rm -rf "$work"
done
