#!/usr/bin/env bash
# Runs vtxhost on every example patch (examples/ and its folders) under valgrind memcheck;
# fails on any error or leak.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build"
shopt -s nullglob
status=0
for patch in "$root"/examples/*.json "$root"/examples/*/*.json; do
  echo "== ${patch#$root/}"
  if ! valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
       --errors-for-leak-kinds=definite,indirect,possible \
       "$root/build/vtxhost" run "$patch" --activations 3 >/dev/null; then
    echo "valgrind reported errors for $patch"; status=1
  fi
done
exit $status
