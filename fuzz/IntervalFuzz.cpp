// Feeds arbitrary bytes, as a text and as a binary payload, to the loaders of an Interval
// and of datatypes that rely on the default forms. Whatever loads must serialise to a form
// that loads back to the same value; nothing may crash, leak or throw anything but the
// Interval's documented conversion failure.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <boost/lexical_cast.hpp>

#include "catalog/IntervalImpl.h"
#include "catalog/IntervalText.h"
#include "tests/unit/datatype/DatatypeTestKit.h"

using namespace Vtx;
using namespace datatype_test;

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The same value, NaN compared as NaN only where the text form cannot keep its payload.
bool SameBound(double a, double b, bool viaText) {
    if (viaText && std::isnan(a)) return std::isnan(b);
    return Bits(a) == Bits(b);
}

TestKernel& Kernel() {
    static TestKernel* kernel = [] {
        auto* k = new TestKernel;
        k->RegisterCreator(kIntervalCatalogId, kIntervalClassId, [](const OBJECT_CREATIONCTX* context) {
            return dynamic_cast<IDatatype*>(CreateIntervalObject(context));
        });
        RegisterTestDatatypes(*k);
        return k;
    }();
    return *kernel;
}

template <class T>
Ref<T> Make(const char* catalogId, const char* classId) {
    Ref<T> object(Kernel().Create<T>(catalogId, classId));
    Check(static_cast<bool>(object), "creation");
    return object;
}

Ref<IInterval> MakeInterval() { return Make<IInterval>(kIntervalCatalogId, kIntervalClassId); }

// Loads the text into an interval; false when it was refused or did not convert.
bool LoadText(IInterval* interval, const char* text) {
    try {
        return interval->UnserializeString(text);
    } catch (const boost::bad_lexical_cast& e) {
        Check(std::strcmp(e.what(), "bad cast") == 0, "conversion failure message");
        return false;
    }
}

void CheckIntervalRoundTrips(IInterval* interval) {
    // Binary: every bit survives.
    ProducedBinary binary(interval);
    Check(binary.size() == CIntervalImpl::kBinarySize, "interval binary size");
    Ref<IInterval> copy = MakeInterval();
    Check(copy->UnserializeBinary(binary.get()), "interval binary reload");
    Check(copy->IsEqual(interval), "interval binary round trip");
    // Text: finite bounds come back exactly; infinities and NaN may not load at all.
    ProducedText text(interval);
    Check(static_cast<bool>(text), "interval text");
    Ref<IInterval> reread = MakeInterval();
    const bool finite = std::isfinite(interval->GetLower()) && std::isfinite(interval->GetUpper());
    if (LoadText(reread.get(), text.get())) {
        Check(SameBound(reread->GetLower(), interval->GetLower(), true), "interval text lower");
        Check(SameBound(reread->GetUpper(), interval->GetUpper(), true), "interval text upper");
    } else {
        Check(!finite, "finite interval text reload");
    }
}

// The quick path for plain decimals agrees with Boost's conversion on every field.
void CheckBoundParsing(const std::string& text) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string field = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        bool boostLoads = true;
        double expected = 0;
        try {
            expected = boost::lexical_cast<double>(field);
        } catch (const boost::bad_lexical_cast&) {
            boostLoads = false;
        }
        try {
            const double actual = ParseIntervalBound(field.data(), field.data() + field.size());
            Check(boostLoads && SameBound(actual, expected, false), "bound parse agrees with Boost");
        } catch (const boost::bad_lexical_cast&) {
            Check(!boostLoads, "bound parse fails where Boost fails");
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

void FuzzInterval(const std::string& text, const SerializeBuffer* buffer) {
    CheckBoundParsing(text);

    Ref<IInterval> fromText = MakeInterval();
    fromText->SetLower(-7.25);
    fromText->SetUpper(7.25);
    if (LoadText(fromText.get(), text.c_str())) CheckIntervalRoundTrips(fromText.get());

    Ref<IInterval> fromBinary = MakeInterval();
    if (fromBinary->UnserializeBinary(buffer)) {
        if (GetSerializeBufferSize(buffer) == CIntervalImpl::kBinarySize) {
            ProducedBinary again(fromBinary.get());
            Check(std::memcmp(again.data(), GetSerializeBufferData(buffer), CIntervalImpl::kBinarySize) == 0,
                  "interval binary bytes");
        }
        CheckIntervalRoundTrips(fromBinary.get());
    } else {
        Check(GetSerializeBufferSize(buffer) != CIntervalImpl::kBinarySize, "16-byte form refused");
        Check(fromBinary->GetLower() == 0.0 && fromBinary->GetUpper() == 1.0, "refused form changed the value");
    }
}

// A value loaded into a default-form datatype serialises (in both forms) to forms that
// load back to an equal value.
template <class T>
void CheckDefaultRoundTrips(T* value) {
    Ref<T> viaText = Make<T>(kTestCatalog, T::kClassId);
    ProducedText text(value);
    if (text) {
        Check(viaText->UnserializeString(text.get()), "default text reload");
        Check(viaText->IsEqual(value), "default text round trip");
    }
    Ref<T> viaCopy = Make<T>(kTestCatalog, T::kClassId);
    viaCopy->CopyFrom(value);
    Check(viaCopy->IsEqual(value), "default binary round trip");
}

template <class T>
void FuzzDefaults(const std::string& text, const SerializeBuffer* buffer) {
    Ref<T> fromText = Make<T>(kTestCatalog, T::kClassId);
    if (fromText->UnserializeString(text.c_str())) CheckDefaultRoundTrips(fromText.get());
    Ref<T> fromBinary = Make<T>(kTestCatalog, T::kClassId);
    if (fromBinary->UnserializeBinary(buffer)) CheckDefaultRoundTrips(fromBinary.get());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As a text the input ends at its first zero byte, as a C text would.
    const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
    OwnedSerializeBuffer buffer = MakeBuffer(std::vector<std::uint8_t>(data, data + size));
    Check(static_cast<bool>(buffer), "buffer allocation");

    FuzzInterval(text, buffer.get());
    FuzzDefaults<BinaryOnlyDatatype>(text, buffer.get());
    FuzzDefaults<TextOnlyDatatype>(text, buffer.get());

    Ref<NoFormDatatype> none = Make<NoFormDatatype>(kTestCatalog, NoFormDatatype::kClassId);
    none->UnserializeString(text.c_str());
    none->UnserializeBinary(buffer.get());
    Check(!ProducedBinary(none.get()) && !ProducedText(none.get()), "no-form datatype grew a form");
    return 0;
}
