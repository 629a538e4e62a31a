#!/usr/bin/env bash
# The main job: install what is missing, build, and let the reference host run the example patch of labelled intervals.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/vtxhost" run "$root/examples/intervals.json" --activations 3 "$@"
