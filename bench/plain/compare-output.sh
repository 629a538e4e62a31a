#!/usr/bin/env bash
# Runs the main job's repeating patch with vtxhost and the plain program for the same
# number of activations and fails unless both print the same bytes.
# Usage: compare-output.sh VTXHOST MODULE PLAIN PATCH ACTIVATIONS
set -euo pipefail
vtxhost=$1 module=$2 plain=$3 patch=$4 activations=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s|\"\.\./build/libBrennick2010\.so\"|\"$module\"|" "$patch" >"$work/patch.json"
"$vtxhost" run "$work/patch.json" --activations "$activations" >"$work/host"
"$plain" --activations "$activations" >"$work/plain"
if ! cmp -s "$work/host" "$work/plain"; then
  echo "vtxhost and the plain program print differently:"
  diff "$work/host" "$work/plain" || true
  exit 1
fi
grep -q "^\[$activations\] " "$work/host" || { echo "vtxhost did not run $activations rounds"; exit 1; }
