#!/usr/bin/env bash
# Configures and builds the sanitized tree build-asan: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, the libFuzzer targets included, light optimisation and line
# tables only (quick to build; reports still name file and line). scripts/asan.sh and
# scripts/fuzz.sh both run from it. VTX_TARGETS limits the build as in scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
CC=clang CXX=clang++ "$root/scripts/build.sh" "$root/build-asan" \
  -DVTX_SANITIZE=address,undefined -DVTX_BUILD_FUZZ=ON -DVTX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1"
