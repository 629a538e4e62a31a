#!/usr/bin/env bash
# Instruction counts of the hot paths and their baselines under callgrind, which do not move
# with the machine's load. Builds the Release tree (as bench-ratios.sh does), runs every
# benchmark of a pair twice with a fixed iteration count (N and 2N iterations) and prints
# the difference divided by N: the instructions of one iteration, set-up left out. Then
# the ratio of each hot path to its baselines (1.0 means no overhead; "fair" baselines make
# the interface calls the framework's contract requires through virtual dispatch, "bare"
# ones only the copies on plain structs).
# Creation plus release of an Interval, a kernel double and a Vector block are measured the
# same way, without a baseline. The main job's round is measured on `vtxhost run
# bench/intervals-repeat.json` (examples/intervals.json with a repeating source, so that
# every round does the same work) with 3 and 13 activations, printing included, next to the
# plain C++ program that prints the same bytes (bench/plain/PlainIntervals.cpp).
# A live session's rounds (no subscriber) are compared with the plain run's ("plain-run"):
# 256 and 16 rounds per step command, and one; and the session of a listening editor server
# with no page open against the same session without a server ("no-server").
# Arguments: benchmark name patterns (grep -E) to measure only some pairs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command -v valgrind >/dev/null || { echo "valgrind is needed (scripts/install-deps.sh installs it)" >&2; exit 1; }
tree="$root/build-release"
VTX_TARGETS="vtx_bench vtx_plain_intervals vtxhost Brennick2010" "$root/scripts/build.sh" "$tree" -DCMAKE_BUILD_TYPE=Release -DVTX_BUILD_BENCH=ON >/dev/null
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
BM_CollectionGetIndexAtCursor BM_CollectionGetIndexScan bare 200
BM_LiveSessionRounds256 BM_PlainRunRounds256 plain-run 4
BM_LiveSessionRounds16 BM_PlainRunRounds16 plain-run 50
BM_LiveSessionRound BM_PatchActivation plain-run 200
BM_ServedSessionRound BM_LiveSessionRound no-server 200"
# Benchmarks without a baseline, iterations N.
singles="BM_CreateInterval 2000
BM_CreateKernelDouble 2000
BM_CreateVectorBlock 500"
if [ $# -gt 0 ]; then
    filter=$(IFS='|'; echo "$*")
    pairs=$(echo "$pairs" | grep -E "$filter" || true)
    singles=$(echo "$singles" | grep -E "$filter" || true)
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

while read -r name n; do
    [ -z "$name" ] && continue
    measure "$name" "$n"
    printf "%-32s %12d  (create plus release)\n" "$name" "${perIteration[$name]}"
done <<<"$singles"

if [ $# -eq 0 ] || echo "main job" | grep -qE "$filter"; then
    # The repeating patch with its module path pointing into the Release tree; rounds 4 to
    # 13 are the steady state (every value and text of the round has been made before).
    sed "s#\"\\.\\./build/libBrennick2010\\.so\"#\"$tree/libBrennick2010.so\"#" "$root/bench/intervals-repeat.json" >"$work/intervals.json"
    few=$(collected "$tree/vtxhost" run "$work/intervals.json" --activations 3)
    many=$(collected "$tree/vtxhost" run "$work/intervals.json" --activations 13)
    plainFew=$(collected "$tree/bench/vtx_plain_intervals" --activations 3)
    plainMany=$(collected "$tree/bench/vtx_plain_intervals" --activations 13)
    awk -v x=$(( (many - few) / 10 )) -v y=$(( (plainMany - plainFew) / 10 )) \
        'BEGIN { printf "%-32s %12d  %-40s %12d %8.3g\n", "main job round", x, "plain C++ program (bench/plain)", y, x / y }'
fi
