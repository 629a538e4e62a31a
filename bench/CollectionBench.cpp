// Look-up by class identifier in a collection of 1000 classes: the item at the cursor
// (found right after HasClassId) against an item that needs a full scan.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <cstdio>
#include <cstring>
#include <vector>
#include <string>

#include "sdk/object/CollectionInstances.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/ObjectClass.h"

namespace {

constexpr int kItems = 1000;

class BenchClass : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IObjectClass>>> {
public:
    explicit BenchClass(std::string id) : id_(std::move(id)) {}
    const char* GetClassId() override { return id_.c_str(); }
    const char* GetText1() override { return ""; }
    const char* GetText2() override { return ""; }
    const char* GetText3() override { return ""; }
    const char* GetText4() override { return ""; }
    Vtx::BitmapHandle GetBitmap() override { return nullptr; }
    Vtx::IObjectClass* GetCatalog() override { return nullptr; }

private:
    std::string id_;
};

// Identifiers share a long prefix, as the classes of one catalog tend to.
std::string IdOf(int i) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Brennick2010.SomeClass.%04d", i);
    return buffer;
}

Vtx::CObjectClassObjectCollectionImpl* MakeCollection() {
    auto* collection = new Vtx::CObjectClassObjectCollectionImpl;
    collection->AddRef();
    for (int i = 0; i < kItems; ++i) collection->Add(new BenchClass(IdOf(i)));
    return collection;
}

void BM_CollectionGetIndexAtCursor(benchmark::State& state) {
    auto* collection = MakeCollection();
    const std::string target = IdOf(kItems - 1);
    collection->HasClassId(target.c_str());
    for (auto _ : state) benchmark::DoNotOptimize(collection->GetIndex(target.c_str()));
    collection->Release();
}
VTX_BENCHMARK(BM_CollectionGetIndexAtCursor);

void BM_CollectionGetIndexScan(benchmark::State& state) {
    auto* collection = MakeCollection();
    const std::string target = IdOf(kItems - 1);
    collection->SetCursor(0);  // GetIndex does not move it: every call scans all items
    for (auto _ : state) benchmark::DoNotOptimize(collection->GetIndex(target.c_str()));
    collection->Release();
}
VTX_BENCHMARK(BM_CollectionGetIndexScan);

} // namespace

// The bare baseline of the scan: the same comparisons over a plain vector of strings, no
// lock, no virtual calls.
void BM_CollectionGetIndexScan_Baseline(benchmark::State& state) {
    std::vector<std::string> ids;
    for (int i = 0; i < kItems; ++i) ids.push_back(IdOf(i));
    const std::string target = IdOf(kItems - 1);
    for (auto _ : state) {
        int found = -1;
        for (int i = 0; i < kItems; ++i) {
            if (std::strcmp(ids[i].c_str(), target.c_str()) == 0) {
                found = i;
                break;
            }
        }
        benchmark::DoNotOptimize(found);
    }
}
VTX_BENCHMARK(BM_CollectionGetIndexScan_Baseline);
