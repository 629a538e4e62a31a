// The Interval's two round trips (serialise, load, free) against bare baselines: a
// malloc + memcpy + free of the 20 bytes of the binary form, and to_chars / from_chars of
// the two bounds for the text form.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <boost/lexical_cast.hpp>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <string>

#include "catalog/IntervalImpl.h"
#include "tests/unit/datatype/DatatypeTestKit.h"

using namespace Vtx;
using namespace datatype_test;

namespace {

constexpr double kLower = 0.1;
constexpr double kUpper = -2718.2818284590452;

struct IntervalPair {
    IntervalPair() {
        kernel.RegisterCreator(kIntervalCatalogId, kIntervalClassId, [](const OBJECT_CREATIONCTX* context) {
            return dynamic_cast<IDatatype*>(CreateIntervalObject(context));
        });
        source = kernel.Create<IInterval>(kIntervalCatalogId, kIntervalClassId);
        target = kernel.Create<IInterval>(kIntervalCatalogId, kIntervalClassId);
        source->SetLower(kLower);
        source->SetUpper(kUpper);
    }
    TestKernel kernel;
    Ref<IInterval> source;
    Ref<IInterval> target;
};

void BM_IntervalBinaryRoundTrip(benchmark::State& state) {
    IntervalPair pair;
    IInterval* source = pair.source.get();
    IInterval* target = pair.target.get();
    for (auto _ : state) {
        SerializeBuffer* buffer = source->SerializeBinary();
        benchmark::DoNotOptimize(target->UnserializeBinary(buffer));
        source->FreeBinary(buffer);
    }
    if (target->GetUpper() != kUpper) state.SkipWithError("value not copied");
}
VTX_BENCHMARK(BM_IntervalBinaryRoundTrip);

void BM_BareBinaryRoundTrip(benchmark::State& state) {
    unsigned char source[20] = {16};
    std::memcpy(source + 4, &kLower, 8);
    std::memcpy(source + 12, &kUpper, 8);
    unsigned char target[20];
    for (auto _ : state) {
        void* block = std::malloc(sizeof source);
        benchmark::DoNotOptimize(block);
        std::memcpy(block, source, sizeof source);
        std::memcpy(target, block, sizeof target);
        benchmark::DoNotOptimize(target);
        std::free(block);
    }
}
VTX_BENCHMARK(BM_BareBinaryRoundTrip);

void BM_IntervalTextRoundTrip(benchmark::State& state) {
    IntervalPair pair;
    IInterval* source = pair.source.get();
    IInterval* target = pair.target.get();
    for (auto _ : state) {
        char* text = source->SerializeString();
        benchmark::DoNotOptimize(target->UnserializeString(text));
        source->FreeString(text);
    }
    if (target->GetUpper() != kUpper) state.SkipWithError("value not copied");
}
VTX_BENCHMARK(BM_IntervalTextRoundTrip);

void BM_BareTextRoundTrip(benchmark::State& state) {
    double lower = kLower;
    double upper = kUpper;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lower);
        benchmark::DoNotOptimize(upper);
        char text[64];
        char* end = std::to_chars(text, text + 32, lower, std::chars_format::general, 17).ptr;
        *end++ = ',';
        end = std::to_chars(end, text + sizeof text, upper, std::chars_format::general, 17).ptr;
        const char* comma = static_cast<const char*>(std::memchr(text, ',', end - text));
        std::from_chars(text, comma, lower);
        std::from_chars(comma + 1, end, upper);
    }
    if (upper != kUpper) state.SkipWithError("value not copied");
}
VTX_BENCHMARK(BM_BareTextRoundTrip);

// The same text through a stream and boost::lexical_cast, for scale.
void BM_StreamAndLexicalCastTextRoundTrip(benchmark::State& state) {
    double lower = kLower;
    double upper = kUpper;
    for (auto _ : state) {
        std::ostringstream stream;
        stream << std::setprecision(17) << lower << ',' << upper;
        const std::string text = stream.str();
        const std::size_t comma = text.find(',');
        lower = boost::lexical_cast<double>(text.data(), comma);
        upper = boost::lexical_cast<double>(text.data() + comma + 1, text.size() - comma - 1);
    }
    if (upper != kUpper) state.SkipWithError("value not copied");
}
VTX_BENCHMARK(BM_StreamAndLexicalCastTextRoundTrip);

} // namespace
