// One activation of each of the catalog's blocks, made through the module signature in the
// reference host, next to a hand-written loop that makes the same copies on plain structs:
//   BM_GeneratorExecute: the labelled-set generator with 1000 labelled items, one Execute;
//   BM_VectorExecute: Vector of size 1024 holding doubles, one Execute writing and reading
//   the same position, the position moving through the whole array.
// Each has two baselines: the bare one (plain structs, the copies only, which the compiler
// folds to a few instructions) and the fair one, the same interface calls the framework's
// contract requires made through virtual dispatch on plain objects (PlainObjects.h).
// Why the generator's fair baseline is fair: it does what the contract makes the block do
// and no more or less than the project's kernel does for it. The set's elements are kept
// from round to round (the host's labelled set keeps them too, so a new element per item
// and round would overcharge the baseline); one Interval is made per Execute through a
// services object and deleted at its end (the contract makes the block create one); every
// read, set and add is a call the compiler cannot fold, because the operations are defined
// in PlainObjects.cpp and the generator's Execute in PlainGenerator.cpp, each reached
// through a pointer whose dynamic class is out of sight. What it leaves out is only what
// a plain program need not do: reference counts, interface casts, checks of the element's
// class, creation by class identity.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/signature/BlockSignature.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/signature/Pins.h"
#include "module/SignatureList.h"
#include "sdk/object/Exceptions.h"
#include "vtx/Block.h"
#include "vtx/DllSignature.h"
#include "vtx/Interval.h"
#include "vtx/KernelDatatypes.h"
#include "bench/PlainObjects.h"

namespace {

constexpr int kItems = 1000;
constexpr int kVectorSize = 1024;

struct CountingClock : Vtx::IKernelClock {
    std::int64_t now = 0;
    std::int64_t GetCurrentTime() override { return ++now; }
};

// A kernel with the catalog, one block of it with its own signature, and a clock.
class BlockBench {
public:
    explicit BlockBench(const char* classId) {
        Vtx::BuildSignatures(1033);
        kernel_.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(Vtx::ChooseSignature(1033)));
        block_ = kernel_.CreateBlock(kIntervalCatalogId, classId);
        block_->AddRef();
        block_->InitInstance(nullptr, nullptr, 0);
    }
    ~BlockBench() {
        block_->Stop();
        block_->Done();
        block_->DoneInstance();
        block_->Release();
        for (Vtx::IDatatype* value : values_) value->Release();
    }

    Vtx::IBlock* block() { return block_; }
    vtxhost::CKernelServices& kernel() { return kernel_; }

    void Set(const std::string& id, const std::string& text) {
        Vtx::IParameterPinSignature* parameter = block_->GetSignature()->FindParameter(id.c_str());
        Vtx::IObjectClass* valueClass = parameter->GetValue()->GetObjectClass();
        Vtx::IDatatype* value = Keep(kernel_.CreateDatatype(valueClass->GetCatalog()->GetClassId(), valueClass->GetClassId()));
        value->UnserializeString(text.c_str());
        block_->SetParameter(parameter, value);
    }
    Vtx::IDatatype* Keep(Vtx::IDatatype* value) {
        value->AddRef();
        values_.push_back(value);
        return value;
    }
    bool Start() { return block_->Init(&clock_, &clock_, 0, 0) && block_->Start(); }

private:
    vtxhost::CKernelServices kernel_;
    CountingClock clock_;
    Vtx::IBlock* block_ = nullptr;
    std::vector<Vtx::IDatatype*> values_;
};

// ---- the generator ----

void BM_GeneratorExecute(benchmark::State& state) {
    BlockBench bench("LabelledSetIntervalGenerator");
    bench.Set("num_items", std::to_string(kItems));
    for (int i = 0; i < kItems; ++i) {
        const std::string n = std::to_string(i);
        bench.Set("label_" + n, "item " + n);
        bench.Set("min_" + n, std::to_string(i));
        bench.Set("max_" + n, std::to_string(i + 1));
    }
    if (!bench.Start()) state.SkipWithError("the generator did not start");
    for (auto _ : state) benchmark::DoNotOptimize(bench.block()->Execute(0));
    auto* set = Vtx::interface_cast<Vtx::ILabelledSet>(bench.block()->GetSignature()->FindOutputPin("output")->GetDatatype());
    if (set->GetItemCount() != kItems) state.SkipWithError("the set does not hold every item");
    state.SetItemsProcessed(state.iterations() * kItems);
}
VTX_BENCHMARK(BM_GeneratorExecute);

// The same work by hand: the items' label and bounds read, copied into a new list of
// (label, interval) that is emptied first, and the list stamped.
struct PlainInterval {
    double lower = 0.0;
    double upper = 1.0;
    std::int64_t timestamp = 0;
};
struct PlainItem {
    std::string label;
    double lower;
    double upper;
};
struct PlainSet {
    std::vector<std::pair<std::string, PlainInterval>> items;
    std::int64_t timestamp = 0;
};

void BM_GeneratorExecute_Baseline(benchmark::State& state) {
    std::vector<PlainItem> items;
    for (int i = 0; i < kItems; ++i) items.push_back({"item " + std::to_string(i), double(i), double(i + 1)});
    PlainSet set;
    std::int64_t now = 0;
    for (auto _ : state) {
        set.items.clear();
        PlainInterval interval;
        for (const PlainItem& item : items) {
            if (item.label.empty()) continue;
            interval.lower = item.lower;
            interval.upper = item.upper;
            set.items.emplace_back(item.label, interval);
        }
        set.timestamp = ++now;
        benchmark::DoNotOptimize(set.items.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
VTX_BENCHMARK(BM_GeneratorExecute_Baseline);

// The fair baseline: the items' label and bounds read through their objects, one Interval
// made through the services and set from the bounds, added to the set (a virtual copy of
// value and times into a kept element), the set stamped, the Interval deleted.
void BM_GeneratorExecute_FairBaseline(benchmark::State& state) {
    std::vector<std::unique_ptr<plain::String>> labels;
    std::vector<std::unique_ptr<plain::Double>> bounds;
    plain::Services services;
    plain::Signature signature;
    plain::Clock clock;
    plain::LabelledSet set;
    plain::Generator generator;
    generator.services = &services;
    generator.signature = &signature;
    generator.clock = &clock;
    generator.output = &set;
    for (int i = 0; i < kItems; ++i) {
        labels.push_back(std::make_unique<plain::String>());
        labels.back()->value = "item " + std::to_string(i);
        bounds.push_back(std::make_unique<plain::Double>());
        bounds.back()->value = i;
        bounds.push_back(std::make_unique<plain::Double>());
        bounds.back()->value = i + 1;
        generator.items.push_back({labels.back().get(), bounds[bounds.size() - 2].get(), bounds.back().get()});
    }
    plain::Block* block = &generator;
    benchmark::DoNotOptimize(block);
    for (auto _ : state) benchmark::DoNotOptimize(block->Execute());
    if (set.count != static_cast<std::size_t>(kItems)) state.SkipWithError("the set does not hold every item");
    state.SetItemsProcessed(state.iterations() * kItems);
}
VTX_BENCHMARK(BM_GeneratorExecute_FairBaseline);

// ---- Vector ----

void BM_VectorExecute(benchmark::State& state) {
    BlockBench bench("Vector");
    Vtx::IBlockSignature* signature = bench.block()->GetSignature();
    auto* input = Vtx::interface_cast<Vtx::IDouble>(bench.Keep(bench.kernel().CreateDatatype("kernel", "double")));
    // The datatypes a patch gives the generic pins when a double output feeds the input.
    dynamic_cast<vtxhost::CInputPinImpl&>(*signature->FindInputPin("input")).SetDatatype(input);
    dynamic_cast<vtxhost::COutputPinImpl&>(*signature->FindOutputPin("output"))
        .SetDatatype(bench.Keep(bench.kernel().CreateDatatype("kernel", "double")));
    bench.Set("size", std::to_string(kVectorSize));
    if (!bench.Start()) state.SkipWithError("the vector did not start");
    // The positions' current value objects, moved as a parameter change would move them.
    auto* write = Vtx::interface_cast<Vtx::IInt>(signature->FindParameter("write_position")->GetValue());
    auto* read = Vtx::interface_cast<Vtx::IInt>(signature->FindParameter("read_position")->GetValue());
    std::int32_t position = 0;
    for (auto _ : state) {
        write->SetValue(position);
        read->SetValue(position);
        input->SetValue(position);
        benchmark::DoNotOptimize(bench.block()->Execute(0));
        position = (position + 1) % kVectorSize;
    }
    auto* output = Vtx::interface_cast<Vtx::IDouble>(signature->FindOutputPin("output")->GetDatatype());
    if (state.iterations() > 0 && output->GetValue() != (position + kVectorSize - 1) % kVectorSize)
        state.SkipWithError("the output does not follow the input");
}
VTX_BENCHMARK(BM_VectorExecute);

// The same copies by hand: the input's value into the entry, the entry's value to the
// output, and the output stamped.
struct PlainDouble {
    double value = 0.0;
    std::int64_t timestamp = 0;
};

void BM_VectorExecute_Baseline(benchmark::State& state) {
    std::vector<PlainDouble> array(kVectorSize);
    PlainDouble input, output;
    bool writeEnabled = true, readEnabled = true;
    std::int32_t position = 0;
    std::int64_t now = 0;
    for (auto _ : state) {
        input.value = position;
        benchmark::DoNotOptimize(writeEnabled);
        benchmark::DoNotOptimize(readEnabled);
        if (writeEnabled && position >= 0 && static_cast<std::size_t>(position) < array.size())
            array[position].value = input.value;
        if (readEnabled && position >= 0 && static_cast<std::size_t>(position) < array.size()) {
            output.value = array[position].value;
            output.timestamp = ++now;
        }
        benchmark::DoNotOptimize(output);
        position = (position + 1) % kVectorSize;
    }
}
VTX_BENCHMARK(BM_VectorExecute_Baseline);

// The fair baseline: the same loop over plain objects, every value read, copied and
// stamped through a virtual call, the block's Execute itself a virtual call with its log
// scope and two trace-level reads.
void BM_VectorExecute_FairBaseline(benchmark::State& state) {
    plain::Services services;
    plain::Signature signature;
    plain::Clock clock;
    plain::Bool writeEnabled, readEnabled;
    plain::Int writePosition, readPosition;
    plain::Double inputValue, outputValue;
    plain::Vector vector;
    vector.services = &services;
    vector.signature = &signature;
    vector.clock = &clock;
    vector.writeEnabled = &writeEnabled;
    vector.readEnabled = &readEnabled;
    vector.writePosition = &writePosition;
    vector.readPosition = &readPosition;
    vector.input = &inputValue;
    vector.output = &outputValue;
    for (int i = 0; i < kVectorSize; ++i) vector.array.push_back(std::make_unique<plain::Double>());
    plain::Block* block = &vector;
    plain::Int* write = &writePosition;
    plain::Int* read = &readPosition;
    plain::Double* input = &inputValue;
    benchmark::DoNotOptimize(block);
    benchmark::DoNotOptimize(write);
    benchmark::DoNotOptimize(read);
    benchmark::DoNotOptimize(input);
    std::int32_t position = 0;
    for (auto _ : state) {
        write->SetValue(position);
        read->SetValue(position);
        input->SetValue(position);
        benchmark::DoNotOptimize(block->Execute());
        position = (position + 1) % kVectorSize;
    }
    if (state.iterations() > 0 && outputValue.value != (position + kVectorSize - 1) % kVectorSize)
        state.SkipWithError("the output does not follow the input");
}
VTX_BENCHMARK(BM_VectorExecute_FairBaseline);

} // namespace
