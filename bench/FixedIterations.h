#pragma once
// VTX_BENCHMARK registers a benchmark that, when the environment variable
// VTX_BENCH_ITERATIONS holds a count, runs exactly that many iterations, once. Instruction
// counts under callgrind (scripts/bench-instructions.sh) come from two such runs of
// different lengths, whose difference leaves out the set-up.
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace vtxbench {

inline void FixedIterations(benchmark::internal::Benchmark* benchmark) {
    const char* text = std::getenv("VTX_BENCH_ITERATIONS");
    if (!text || !*text) return;
    const long long count = std::atoll(text);
    if (count > 0) benchmark->Iterations(count);
}

} // namespace vtxbench

#define VTX_BENCHMARK(function) BENCHMARK(function)->Apply(vtxbench::FixedIterations)
