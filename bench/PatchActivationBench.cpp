// One activation round of a whole patch through the reference host's scheduler, next to the
// same data moved by hand through plain structs. The patch is the main example's: the
// labelled-set generator (two labelled intervals) into a sink, and a repeating sequence of
// intervals through a Vector into a second sink. Each round the scheduler activates the
// blocks, passes the outputs along the links, and the sinks keep their input's text form,
// which the benchmark then takes, as `vtxhost run` does. The fair baseline is the sum of the
// blocks' own Executes, called directly in patch order on the same running patch, with the
// sinks' texts taken the same way: what a round costs beyond it is the scheduler's.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <charconv>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/patch/PatchFile.h"
#include "module/SignatureList.h"
#include "bench/MainJobPatch.h"

namespace {

void BM_PatchActivation(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    vtxhost::LoadedPatch loaded = benchpatch::Load(kernel);
    vtxhost::CPatch& patch = *loaded.patch;
    vtxhost::IReceivedValues* sets = vtxhost::ReceivedValuesOf(patch.FindBlock("sets"));
    vtxhost::IReceivedValues* stored = vtxhost::ReceivedValuesOf(patch.FindBlock("stored"));
    patch.Start();
    std::size_t taken = 0;
    for (auto _ : state) {
        patch.Run(1);
        taken += sets->TakeNew().size() + stored->TakeNew().size();
    }
    patch.Stop();
    if (taken != 2 * static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("a sink missed a round");
}
VTX_BENCHMARK(BM_PatchActivation);

void BM_PatchActivation_FairBaseline(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    vtxhost::LoadedPatch loaded = benchpatch::Load(kernel);
    vtxhost::CPatch& patch = *loaded.patch;
    std::vector<Vtx::IBlock*> blocks;
    for (const std::string& name : patch.BlockNames()) blocks.push_back(patch.FindBlock(name));
    vtxhost::IReceivedValues* sets = vtxhost::ReceivedValuesOf(patch.FindBlock("sets"));
    vtxhost::IReceivedValues* stored = vtxhost::ReceivedValuesOf(patch.FindBlock("stored"));
    patch.Start();
    patch.Run(1);  // every input holds a value from here on
    sets->TakeNew();
    stored->TakeNew();
    std::size_t taken = 0;
    for (auto _ : state) {
        for (Vtx::IBlock* block : blocks) benchmark::DoNotOptimize(block->Execute(0));
        taken += sets->TakeNew().size() + stored->TakeNew().size();
    }
    patch.Stop();
    if (taken != 2 * static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("a sink missed a round");
}
VTX_BENCHMARK(BM_PatchActivation_FairBaseline);

// The same round by hand: the generator's set built anew from its items, the next interval
// of the sequence written into and read back from a two-entry array, and both texts formed
// as the sinks form them.
struct PlainInterval {
    double lower;
    double upper;
};

void AppendInterval(std::string& text, const PlainInterval& interval) {
    char buffer[64];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, interval.lower).ptr;
    *end++ = ',';
    end = std::to_chars(end, buffer + sizeof buffer, interval.upper).ptr;
    text.append(buffer, end);
}

void BM_PatchActivation_Baseline(benchmark::State& state) {
    const std::vector<std::pair<std::string, PlainInterval>> items = {{"low", {0, 1}}, {"", {0, 1}}, {"high", {10, 20}}};
    const std::vector<PlainInterval> sequence = {{0, 1}, {2, 3}, {4, 5}};
    std::vector<PlainInterval> array(2, PlainInterval{0, 1});
    std::vector<std::string> setTexts, storedTexts;
    std::size_t next = 0, taken = 0;
    for (auto _ : state) {
        std::vector<std::pair<std::string, PlainInterval>> set;
        for (const auto& item : items)
            if (!item.first.empty()) set.push_back(item);
        std::string text = R"({"element":["Brennick2010","Interval"],"items":[)";
        for (std::size_t i = 0; i < set.size(); ++i) {
            if (i) text += ',';
            text += R"({"label":")" + set[i].first + R"(","value":")";
            AppendInterval(text, set[i].second);
            text += "\"}";
        }
        text += "]}";
        setTexts.push_back(std::move(text));

        array[1] = sequence[next];
        next = (next + 1) % sequence.size();
        std::string value;
        AppendInterval(value, array[1]);
        storedTexts.push_back(std::move(value));

        taken += setTexts.size() + storedTexts.size();
        setTexts.clear();
        storedTexts.clear();
        benchmark::ClobberMemory();
    }
    benchmark::DoNotOptimize(taken);
}
VTX_BENCHMARK(BM_PatchActivation_Baseline);

} // namespace
