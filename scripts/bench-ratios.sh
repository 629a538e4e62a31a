#!/usr/bin/env bash
# Builds the benchmarks in a Release tree, runs them and prints, for every hot path, its
# time next to its baseline and the ratio (path / baseline; 1.0 means no overhead).
# Extra arguments go to the benchmark binary (for example --benchmark_repetitions=5).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
VTX_TARGETS="vtx_bench vtxhost Brennick2010" "$root/scripts/build.sh" "$root/build-release" -DCMAKE_BUILD_TYPE=Release -DVTX_BUILD_BENCH=ON >/dev/null
# The patch-loading benchmarks report counters of their own, which the CSV form cannot mix
# with the others; they have no baseline and run on their own (see the README).
errors=$(mktemp); trap 'rm -f "$errors"' EXIT
csv=$("$root/build-release/bench/vtx_bench" --benchmark_format=csv --benchmark_filter=-PatchLoad \
       --benchmark_min_time=0.2 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@" 2>"$errors") ||
  { grep -v -e '^Running\|^Run on\|^CPU\|^  L\|^Load\|WARNING\|^[0-9-]*T' "$errors" >&2; exit 1; }
# Hot path, then its baseline. Benchmarks named X with a baseline X_Baseline pair up as well,
# unless a pair below names another (the fair baselines, see bench-instructions.sh).
pairs="BM_GeneratorExecute BM_GeneratorExecute_FairBaseline
BM_VectorExecute BM_VectorExecute_FairBaseline
BM_PropertyTextRoundTrip BM_PropertyTextRoundTrip_FairBaseline
BM_PatchActivation BM_PatchActivation_FairBaseline
BM_IntervalBinaryRoundTrip BM_BareBinaryRoundTrip
BM_IntervalTextRoundTrip BM_BareTextRoundTrip
BM_CollectionGetIndexScan BM_CollectionGetIndexScan_Baseline
BM_CollectionGetIndexAtCursor BM_CollectionGetIndexScan"
echo "$csv" | awk -F, -v pairs="$pairs" '
  /^"?BM_/ {
    name = $1; gsub(/"/, "", name)
    if (name !~ /_median$/) next
    sub(/_median$/, "", name); time[name] = $4; order[++n] = name
  }
  END {
    split(pairs, lines, "\n")
    for (i in lines) { split(lines[i], p, " "); base[p[1]] = p[2] }
    for (i = 1; i <= n; i++) if (!(order[i] in base) && (order[i] "_Baseline") in time) base[order[i]] = order[i] "_Baseline"
    printf "%-36s %12s %-38s %12s %8s\n", "hot path", "cpu ns", "baseline", "cpu ns", "ratio"
    for (i = 1; i <= n; i++) {
      name = order[i]
      if (!(name in base) || !(base[name] in time)) continue
      printf "%-36s %12.1f %-38s %12.1f %8.3g\n", name, time[name], base[name], time[base[name]], time[name] / time[base[name]]
    }
  }'
