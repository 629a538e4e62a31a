// Loading a patch file as it grows: one labelled-set generator carrying N parameters (a
// third of N items, each with its label and two bounds), from the file as a user writes
// it ("fresh": the block builds its signature, then every value is set) and from the file
// `vtxhost save` writes ("saved": every pin and parameter stored with its value and given
// back to the block). The time per parameter should stay flat from 1 000 to 100 000: the
// reader goes once through the text, and signatures and patches find entries by id.
// Each iteration loads into a new kernel and destroys the patch again.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchSave.h"
#include "module/SignatureList.h"

namespace {

std::string FreshPatch(std::int64_t parameters) {
    const std::int64_t items = parameters / 3;
    std::string text = "{\"name\": \"load\", \"blocks\": [{\"name\": \"generator\", \"catalog\": \"Brennick2010\", "
                       "\"class\": \"LabelledSetIntervalGenerator\", \"parameters\": {\n  \"num_items\": " +
                       std::to_string(items);
    for (std::int64_t i = 0; i < items; ++i) {
        const std::string n = std::to_string(i);
        text += ",\n  \"label_" + n + "\": \"item " + n + "\", \"min_" + n + "\": " + n + ", \"max_" + n +
                "\": " + std::to_string(i + 1) + ".5";
    }
    return text + "}}]}\n";
}

vtxhost::ModuleOpener NoModules() {
    return [](vtxhost::CKernelServices&, const std::string&) -> std::shared_ptr<void> {
        throw std::logic_error("the benchmark patch names no module");
    };
}

// The catalog is added to each kernel in process, so the patches name no module.
void Load(const std::string& text) {
    vtxhost::CKernelServices kernel;
    kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(Vtx::ChooseSignature(1033)));
    vtxhost::LoadedPatch loaded = vtxhost::LoadPatchText(kernel, text, "load.json", ".", NoModules());
    benchmark::DoNotOptimize(loaded.patch.get());
}

std::string SavedPatch(std::int64_t parameters) {
    vtxhost::CKernelServices kernel;
    kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(Vtx::ChooseSignature(1033)));
    vtxhost::LoadedPatch loaded = vtxhost::LoadPatchText(kernel, FreshPatch(parameters), "load.json", ".", NoModules());
    return vtxhost::SavePatchText(*loaded.patch, {});
}

void Run(benchmark::State& state, const std::string& text) {
    for (auto _ : state) Load(text);
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["time_per_parameter"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_PatchLoadFresh(benchmark::State& state) {
    Vtx::BuildSignatures(1033);
    Run(state, FreshPatch(state.range(0)));
}

void BM_PatchLoadSaved(benchmark::State& state) {
    Vtx::BuildSignatures(1033);
    Run(state, SavedPatch(state.range(0)));
}

BENCHMARK(BM_PatchLoadFresh)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_PatchLoadSaved)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace
