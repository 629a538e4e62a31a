#!/usr/bin/env bash
# The main job: install what is missing, build, and let the reference host inspect the module.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/vtxhost" inspect "$root/build/libBrennick2010.so" "$@"
