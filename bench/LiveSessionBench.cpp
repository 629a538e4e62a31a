// The live session's costs, on the main example's patch (as in PatchActivationBench.cpp):
// - a round run by the session, no subscriber, against the same rounds run by the patch
//   directly with the sinks taken (`vtxhost run`'s loop): per step command of one round,
//   and in batches of 16 and 256 rounds per command, where the command's hand-over to the
//   scheduler thread is shared by the rounds;
// - the latency from a set command to the end of the round that uses the value, the patch
//   running by itself as fast as it goes;
// - what the event store holds with 1 000 subscribed outputs and a reader that never reads,
//   after 100 and after 1 000 rounds.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/patch/PatchFile.h"
#include "host/live/Session.h"
#include "module/SignatureList.h"
#include "bench/MainJobPatch.h"

namespace {

void BM_LiveSessionRound(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    vtxhost::live::CSession session(kernel, benchpatch::Load(kernel), vtxhost::live::Pacing::Stepped);
    session.Start();
    for (auto _ : state) session.Step(1);
    session.Stop();
}
VTX_BENCHMARK(BM_LiveSessionRound);

// Batch rounds per step command: the command's hand-over to the scheduler thread and its
// answer are shared by the batch, as they are by all the rounds of a session that runs by
// itself.
template <std::int64_t Batch>
void BM_LiveSessionRounds(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    vtxhost::live::CSession session(kernel, benchpatch::Load(kernel), vtxhost::live::Pacing::Stepped);
    session.Start();
    for (auto _ : state) session.Step(Batch);
    session.Stop();
    state.SetItemsProcessed(state.iterations() * Batch);
}
void BM_LiveSessionRounds16(benchmark::State& state) { BM_LiveSessionRounds<16>(state); }
void BM_LiveSessionRounds256(benchmark::State& state) { BM_LiveSessionRounds<256>(state); }
VTX_BENCHMARK(BM_LiveSessionRounds16);
VTX_BENCHMARK(BM_LiveSessionRounds256);

// The plain run's rounds, Batch per iteration, the sinks taken after every round.
template <std::int64_t Batch>
void BM_PlainRunRounds(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    vtxhost::LoadedPatch loaded = benchpatch::Load(kernel);
    vtxhost::CPatch& patch = *loaded.patch;
    vtxhost::IReceivedValues* sets = vtxhost::ReceivedValuesOf(patch.FindBlock("sets"));
    vtxhost::IReceivedValues* stored = vtxhost::ReceivedValuesOf(patch.FindBlock("stored"));
    patch.Start();
    std::size_t taken = 0;
    for (auto _ : state)
        patch.Run(Batch, [&](std::int64_t, std::int64_t) { taken += sets->TakeNew().size() + stored->TakeNew().size(); });
    patch.Stop();
    state.SetItemsProcessed(state.iterations() * Batch);
    if (taken != 2 * Batch * static_cast<std::size_t>(state.iterations())) state.SkipWithError("a sink missed a round");
}
void BM_PlainRunRounds16(benchmark::State& state) { BM_PlainRunRounds<16>(state); }
void BM_PlainRunRounds256(benchmark::State& state) { BM_PlainRunRounds<256>(state); }
VTX_BENCHMARK(BM_PlainRunRounds16);
VTX_BENCHMARK(BM_PlainRunRounds256);

// Wall time from the set command to the end of the round after it; "rounds_late" counts
// the rounds between the change and the first round that could use it (1: the next).
void BM_LiveSetToRound(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    vtxhost::live::CSession session(kernel, benchpatch::Load(kernel), vtxhost::live::Pacing::Fast);
    session.Start();
    std::int64_t late = 0;
    std::int64_t position = 0;
    for (auto _ : state) {
        const auto answer = session.SetParameter("store", "read_position", std::to_string(position ^= 1));
        const std::int64_t applied = answer["round"].get<std::int64_t>();
        if (!session.WaitForRound(applied + 1, std::chrono::seconds(10))) {
            state.SkipWithError("no round after the change");
            break;
        }
        late += 1;
    }
    session.Stop();
    state.counters["rounds_late"] = benchmark::Counter(static_cast<double>(late), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LiveSetToRound)->UseRealTime();

// 1 000 sources, each output subscribed; the reader never takes an event.
void BM_LiveUnreadSubscriptions(benchmark::State& state) {
    const std::int64_t rounds = state.range(0);
    std::string text = R"({"name": "many", "blocks": [)";
    for (int i = 0; i < 1000; ++i)
        text += std::string(i ? "," : "") + R"({"name": "s)" + std::to_string(i) +
                R"(", "class": "sequence_source", "parameters": {"values": [1.5, 2.5, 3.5], "repeat": true}})";
    text += "]}";
    for (auto _ : state) {
        vtxhost::CKernelServices kernel;
        vtxhost::live::CSession session(kernel, benchpatch::Load(kernel, text), vtxhost::live::Pacing::Stepped);
        for (int i = 0; i < 1000; ++i) session.Subscribe(vtxhost::live::Topic::Values, "s" + std::to_string(i));
        session.Start();
        session.Step(rounds);
        const auto usage = session.Events().MeasureUsage();
        state.counters["held_events"] = static_cast<double>(usage.waiting);
        state.counters["held_bytes"] = static_cast<double>(usage.bytes);
        session.Stop();
    }
}
BENCHMARK(BM_LiveUnreadSubscriptions)->Arg(100)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
