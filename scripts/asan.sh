#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer, the
# libFuzzer targets included (scripts/fuzz.sh runs them from this same tree), and runs the
# whole test suite; leaks fail the run. The tree is built with light optimisation and line
# tables only: quick to build, and its reports still name file and line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
CC=clang CXX=clang++ "$root/scripts/build.sh" "$root/build-asan" \
  -DVTX_SANITIZE=address,undefined -DVTX_BUILD_FUZZ=ON -DVTX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
export ASAN_OPTIONS="detect_leaks=1 abort_on_error=1 ${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"
(cd "$root/build-asan" && ctest --output-on-failure)
