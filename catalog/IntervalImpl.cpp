#include "catalog/IntervalImpl.h"

#include <cstdint>
#include <cstring>

#include <boost/algorithm/string/split.hpp>
#include <boost/container/small_vector.hpp>
#include <boost/range/iterator_range.hpp>

#include "catalog/IntervalText.h"
#include "sdk/datatype/CreateFunctions.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/Exceptions.h"

namespace {

// The bit pattern goes byte by byte, lowest first, whatever the machine's byte order, so
// NaN payloads and the sign of zero survive unchanged.
void StoreLittleEndian(std::uint8_t* out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

double LoadLittleEndian(const std::uint8_t* in) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(in[i]) << (8 * i);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

using Field = boost::iterator_range<const char*>;
// Room for the two fields of a well-formed text without touching the heap.
using Fields = boost::container::small_vector<Field, 3>;

} // namespace

CIntervalImpl::CIntervalImpl(const Vtx::OBJECT_CREATIONCTX* context) : CDatatypeImpl(context) {}

Vtx::SerializeBuffer* CIntervalImpl::SerializeBinary() {
    Vtx::SerializeBuffer* buffer = Vtx::AllocateSerializeBuffer(kBinarySize);
    if (!buffer) return nullptr;
    std::uint8_t* payload = Vtx::GetSerializeBufferData(buffer);
    StoreLittleEndian(payload, lower_);
    StoreLittleEndian(payload + 8, upper_);
    return buffer;
}

bool CIntervalImpl::UnserializeBinary(const Vtx::SerializeBuffer* buffer) {
    if (!buffer) return true;
    if (Vtx::GetSerializeBufferSize(buffer) != kBinarySize) return false;
    const std::uint8_t* payload = Vtx::GetSerializeBufferData(buffer);
    lower_ = LoadLittleEndian(payload);
    upper_ = LoadLittleEndian(payload + 8);
    return true;
}

char* CIntervalImpl::SerializeString() {
    char text[2 * kMaxIntervalBoundText + 1];
    char* end = WriteIntervalBound(text, lower_);
    *end++ = ',';
    end = WriteIntervalBound(end, upper_);
    return Vtx::DuplicateText(text, static_cast<std::size_t>(end - text));
}

bool CIntervalImpl::UnserializeString(const char* text) {
    if (!text) text = "";
    Fields fields;
    Vtx::TranslateStdExceptions([&] {
        const Field whole(text, text + std::strlen(text));
        boost::algorithm::split(fields, whole, [](char c) { return c == ','; });
    });
    if (fields.size() != 2) return false;
    lower_ = ParseIntervalBound(fields[0].begin(), fields[0].end());
    upper_ = ParseIntervalBound(fields[1].begin(), fields[1].end());
    return true;
}

void CIntervalImpl::CopyFrom(Vtx::ISerialize* source) {
    CIntervalImpl* interval = Vtx::interface_cast<CIntervalImpl>(source);
    lower_ = interval->lower_;
    upper_ = interval->upper_;
}

CIntervalInitInfoImpl::CIntervalInitInfoImpl(const Vtx::OBJECT_CREATIONCTX* context) : CDatatypeInitInfoImpl(context) {}

Vtx::IObject* CreateIntervalObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::CreateDatatypeInstance<CIntervalImpl>(context);
}

Vtx::IDatatypeInitInfo* CreateIntervalInitInfoObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::CreateDatatypeInitInfoInstance<CIntervalInitInfoImpl>(context);
}
