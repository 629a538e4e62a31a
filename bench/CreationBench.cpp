// Creation plus release of one object through the reference host's kernel services, as
// every block's Execute (the generator's Interval), a patch's links and a Vector's entries
// make them: an Interval of the catalog, a kernel double, and a Vector block (created and
// released, not initialised). No baseline: the figures are held to fixed targets (see the
// README's Benchmarks section).
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <memory>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "module/SignatureList.h"
#include "vtx/Block.h"
#include "vtx/Interval.h"

namespace {

void AddCatalog(vtxhost::CKernelServices& kernel) {
    Vtx::BuildSignatures(1033);
    kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(Vtx::ChooseSignature(1033)));
}

void CreateDatatypes(benchmark::State& state, const char* catalogId, const char* classId) {
    vtxhost::CKernelServices kernel;
    AddCatalog(kernel);
    for (auto _ : state) {
        Vtx::IDatatype* value = kernel.CreateDatatype(catalogId, classId);
        if (!value) {
            state.SkipWithError("no such datatype");
            break;
        }
        value->AddRef();
        value->Release();
    }
}

void BM_CreateInterval(benchmark::State& state) { CreateDatatypes(state, kIntervalCatalogId, kIntervalClassId); }
VTX_BENCHMARK(BM_CreateInterval);

void BM_CreateKernelDouble(benchmark::State& state) { CreateDatatypes(state, "kernel", "double"); }
VTX_BENCHMARK(BM_CreateKernelDouble);

void BM_CreateVectorBlock(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    AddCatalog(kernel);
    for (auto _ : state) {
        Vtx::IBlock* block = kernel.CreateBlock(kIntervalCatalogId, "Vector");
        if (!block) {
            state.SkipWithError("no Vector block");
            break;
        }
        block->AddRef();
        block->Release();
    }
}
VTX_BENCHMARK(BM_CreateVectorBlock);

} // namespace
