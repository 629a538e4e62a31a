#!/usr/bin/env bash
# Runs vtxhost on every example patch (examples/ and its folders) under valgrind memcheck,
# then the test of threads that outlive an unloaded module; fails on any error or leak.
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
echo "== threads ending after the module was unloaded"
# The scenario runs in a forked child, which memcheck follows: an error there fails the test.
if ! valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
     --errors-for-leak-kinds=definite,indirect,possible \
     "$root/build/tests/vtx_module_tests" --gtest_filter='UnloadedModule.*' >/dev/null; then
  echo "valgrind reported errors for the unload test"; status=1
fi
exit $status
