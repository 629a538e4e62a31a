#!/usr/bin/env bash
# Builds everything in the AddressSanitizer and UndefinedBehaviorSanitizer tree
# (scripts/build-asan.sh) and runs the whole test suite, the reload stress run last; leaks
# fail the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build-asan.sh"
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"
(cd "$root/build-asan" && ctest --output-on-failure -E '^reload_stress$')
# The reload stress run on its own, its figures (cycles, descriptors, mappings, threads,
# allocated bytes, peak memory) in the log.
log="$root/build-asan/reload-stress.log"
if ! (cd "$root/build-asan" && ctest --output-on-failure -V -R '^reload_stress$' >"$log" 2>&1); then
  cat "$log"
  exit 1
fi
grep -o 'reload stress:.*' "$log"
