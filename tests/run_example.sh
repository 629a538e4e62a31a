#!/usr/bin/env bash
# Runs vtxhost on an example patch and compares what it prints with the expected output.
# Usage: run_example.sh VTXHOST PATCH EXPECTED [vtxhost run options...]
set -euo pipefail
vtxhost=$1 patch=$2 expected=$3
shift 3
actual=$("$vtxhost" run "$patch" "$@")
if [ "$actual" != "$(cat "$expected")" ]; then
  echo "vtxhost run $patch $* printed:"
  echo "$actual"
  echo "expected:"
  cat "$expected"
  exit 1
fi
