#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh DIR [extra cmake arguments].
# VTX_TARGETS, when set, names the targets to build (all of them otherwise).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
launcher=(); command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Paths relative to the checkout, so that several checkouts of the project share one cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
targets=()
[ -n "${VTX_TARGETS:-}" ] && targets=(--target ${VTX_TARGETS})
cmake --build "$dir" "${targets[@]}"
