#!/usr/bin/env bash
# Instruction counts of the hot paths and their baselines under callgrind, which do not move
# with the machine's load. Builds the Release tree (as bench-ratios.sh does), runs every
# benchmark of a pair twice with a fixed iteration count (N and 2N iterations) and prints
# the difference divided by N: the instructions of one iteration, set-up left out. Then
# the ratio of each hot path to its baselines (1.0 means no overhead; "fair" baselines make
# the interface calls the framework's contract requires through virtual dispatch, "bare"
# ones only the copies on plain structs).
# The main job's round is measured the same way on `vtxhost run examples/intervals.json`
# with 1 and 3 activations, printing included.
# Arguments: benchmark name patterns (grep -E) to measure only some pairs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v valgrind >/dev/null || { echo "valgrind is needed (scripts/install-deps.sh installs it)" >&2; exit 1; }
tree="$root/build-release"
VTX_TARGETS="vtx_bench vtxhost Brennick2010" "$root/scripts/build.sh" "$tree" -DCMAKE_BUILD_TYPE=Release -DVTX_BUILD_BENCH=ON >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Hot path, baseline, kind of baseline, iterations N.
pairs="BM_GeneratorExecute BM_GeneratorExecute_FairBaseline fair 10
BM_GeneratorExecute BM_GeneratorExecute_Baseline bare 10
BM_VectorExecute BM_VectorExecute_FairBaseline fair 2000
BM_VectorExecute BM_VectorExecute_Baseline bare 2000
BM_PropertyTextRoundTrip BM_PropertyTextRoundTrip_FairBaseline fair 2000
BM_PropertyTextRoundTrip BM_PropertyTextRoundTrip_Baseline bare 2000
BM_PatchActivation BM_PatchActivation_FairBaseline fair 200
BM_PatchActivation BM_PatchActivation_Baseline bare 200
BM_IntervalBinaryRoundTrip BM_BareBinaryRoundTrip bare 2000
BM_IntervalTextRoundTrip BM_BareTextRoundTrip bare 2000
BM_CollectionGetIndexScan BM_CollectionGetIndexScan_Baseline bare 200
BM_CollectionGetIndexAtCursor BM_CollectionGetIndexScan bare 200"
if [ $# -gt 0 ]; then
    filter=$(IFS='|'; echo "$*")
    pairs=$(echo "$pairs" | grep -E "$filter" || true)
fi

# Instructions callgrind collects for a command.
collected() {
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$@" >/dev/null 2>"$work/err" ||
        { cat "$work/err" >&2; return 1; }
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/err"
}

declare -A perIteration
measure() {
    local name=$1 n=$2
    [ -n "${perIteration[$name]:-}" ] && return
    local once twice
    once=$(VTX_BENCH_ITERATIONS=$n collected "$tree/bench/vtx_bench" --benchmark_filter="^$name(/|\$)")
    twice=$(VTX_BENCH_ITERATIONS=$((2 * n)) collected "$tree/bench/vtx_bench" --benchmark_filter="^$name(/|\$)")
    perIteration[$name]=$(( (twice - once) / n ))
}

printf "%-32s %12s  %-40s %12s %8s\n" "hot path" "instr/iter" "baseline" "instr/iter" "ratio"
while read -r path base kind n; do
    [ -z "$path" ] && continue
    measure "$path" "$n"
    measure "$base" "$n"
    awk -v p="$path" -v b="$base ($kind)" -v x="${perIteration[$path]}" -v y="${perIteration[$base]}" \
        'BEGIN { printf "%-32s %12d  %-40s %12d %8.3g\n", p, x, b, y, (y > 0 ? x / y : 0) }'
done <<<"$pairs"

if [ $# -eq 0 ] || echo "main job" | grep -qE "$filter"; then
    # The example patch with its module, named by its catalog id, taken from the Release tree.
    sed "s#\"Brennick2010\"\]#\"$tree/libBrennick2010.so\"]#" "$root/examples/intervals.json" >"$work/intervals.json"
    one=$(collected "$tree/vtxhost" run "$work/intervals.json" --activations 1)
    three=$(collected "$tree/vtxhost" run "$work/intervals.json" --activations 3)
    printf "%-32s %12d  (vtxhost run examples/intervals.json, rounds 2 and 3, printing included)\n" \
        "main job round" $(( (three - one) / 2 ))
fi
