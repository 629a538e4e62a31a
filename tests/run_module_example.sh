#!/usr/bin/env bash
# Runs an example patch that loads this catalog's module against the module of the build
# tree under test (the examples name it by its catalog id, found through VTX_MODULE_PATH),
# and compares the output.
# Usage: run_module_example.sh VTXHOST MODULE PATCH EXPECTED [vtxhost run options...]
set -euo pipefail
vtxhost=$1 module=$2 patch=$3 expected=$4
shift 4
VTX_MODULE_PATH=$(dirname "$module") "$(dirname "$0")/run_example.sh" "$vtxhost" "$patch" "$expected" "$@"
