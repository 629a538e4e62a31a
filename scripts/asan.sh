#!/usr/bin/env bash
# Builds everything in the AddressSanitizer and UndefinedBehaviorSanitizer tree
# (scripts/build-asan.sh) and runs the whole test suite; leaks fail the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build-asan.sh"
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"
(cd "$root/build-asan" && ctest --output-on-failure)
