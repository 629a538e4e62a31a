#!/usr/bin/env bash
# Builds the tests under ThreadSanitizer and runs the concurrency tests: every test suite
# whose name ends in "Concurrency". Only the in-process test binary is built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
VTX_TARGETS=vtx_unit_tests "$root/scripts/build.sh" "$root/build-tsan" -DVTX_SANITIZE=thread -DVTX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
"$root/build-tsan/tests/vtx_unit_tests" --gtest_filter='*Concurrency*:*Concurrency*/*'
