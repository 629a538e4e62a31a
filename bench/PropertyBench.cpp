// Property text forms: a double property set from its text and read back as text, against
// the bare std::from_chars / std::to_chars of the same value, and against a fair baseline:
// the same conversions at the property's 17 significant digits with the value held in a
// boost::any as the property holds it.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <boost/any.hpp>

#include <charconv>
#include <cstring>

#include "module/ModuleState.h"
#include "module/ThreadSpecificValue.h"
#include "sdk/object/PropertyImpl.h"

namespace {

constexpr const char* kText = "1234.5678";

void BM_PropertyTextRoundTrip(benchmark::State& state) {
    // Texts handed out go through the per-thread text holder, as they do in a module.
    auto* holder = new Vtx::CThreadSpecificValueImpl;
    Vtx::SetThreadSpecificValue(holder);
    auto* property = new Vtx::CPropertyImpl(Vtx::kPropertyDouble);
    property->AddRef();
    for (auto _ : state) {
        property->SetValueText(kText);
        benchmark::DoNotOptimize(property->GetValueText());
    }
    property->Release();
    Vtx::SetThreadSpecificValue(nullptr);
}
VTX_BENCHMARK(BM_PropertyTextRoundTrip);

void BM_PropertyTextRoundTrip_Baseline(benchmark::State& state) {
    char out[32];
    const std::size_t length = std::strlen(kText);
    for (auto _ : state) {
        double value = 0;
        std::from_chars(kText, kText + length, value);
        auto result = std::to_chars(out, out + sizeof out, value);
        *result.ptr = '\0';
        benchmark::DoNotOptimize(out);
    }
}
VTX_BENCHMARK(BM_PropertyTextRoundTrip_Baseline);

void BM_PropertyTextRoundTrip_FairBaseline(benchmark::State& state) {
    char out[32];
    const std::size_t length = std::strlen(kText);
    boost::any held;
    for (auto _ : state) {
        double value = 0;
        std::from_chars(kText, kText + length, value);
        held = value;
        benchmark::DoNotOptimize(held);
        auto result = std::to_chars(out, out + sizeof out, boost::any_cast<double>(held), std::chars_format::general, 17);
        *result.ptr = '\0';
        benchmark::DoNotOptimize(out);
    }
}
VTX_BENCHMARK(BM_PropertyTextRoundTrip_FairBaseline);

} // namespace
