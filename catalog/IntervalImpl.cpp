#include "catalog/IntervalImpl.h"

#include <cstdint>
#include <cstring>
#include <typeinfo>
#include <utility>

#include <boost/algorithm/string/split.hpp>
#include <boost/range/iterator_range.hpp>

#include "catalog/IntervalText.h"
#include "sdk/datatype/CreateFunctions.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/Exceptions.h"

namespace {

// The form stores the bit pattern lowest byte first, whatever the machine's byte order, so
// NaN payloads and the sign of zero survive unchanged: on a big-endian machine the bytes
// are reversed around a plain copy of the pattern.
constexpr bool kLittleEndianMachine = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

std::uint64_t ToLittleEndian(std::uint64_t bits) {
    if constexpr (kLittleEndianMachine) return bits;
    return __builtin_bswap64(bits);
}

void StoreLittleEndian(std::uint8_t* out, double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = ToLittleEndian(bits);
    std::memcpy(out, &bits, sizeof bits);
}

double LoadLittleEndian(const std::uint8_t* in) {
    std::uint64_t bits;
    std::memcpy(&bits, in, sizeof bits);
    bits = ToLittleEndian(bits);  // the swap is its own inverse
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

using Field = boost::iterator_range<const char*>;

// The fields boost::split makes, kept as the two first ranges and a count. The count stops
// at three, which is all UnserializeString needs to know, so that neither the splitting
// nor the result touches the heap, and a text with many commas is not read to its end.
class FirstFields {
public:
    using value_type = Field;
    using iterator = const Field*;
    using const_iterator = const Field*;
    static constexpr std::size_t kEnough = 3;

    FirstFields() = default;
    template <class Iterator>
    FirstFields(Iterator first, Iterator last) {
        for (; first != last && count_ < kEnough; ++first) {
            if (count_ < 2) fields_[count_] = *first;
            ++count_;
        }
    }
    void swap(FirstFields& other) {
        std::swap(fields_, other.fields_);
        std::swap(count_, other.count_);
    }

    // The number of fields, or kEnough when there are at least that many.
    std::size_t size() const { return count_; }
    const Field& operator[](std::size_t index) const { return fields_[index]; }
    const Field* begin() const { return fields_; }
    const Field* end() const { return fields_ + (count_ < 2 ? count_ : 2); }

private:
    Field fields_[2];
    std::size_t count_ = 0;
};

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
    FirstFields fields;
    Vtx::TranslateStdExceptions([&] {
        const Field whole(text, text + std::strlen(text));
        boost::algorithm::split(fields, whole, [](char c) { return c == ','; });
    });
    if (fields.size() != 2) return false;
    // Both bounds are read before either is stored: a refused text changes nothing.
    const double lower = ParseIntervalBound(fields[0].begin(), fields[0].end());
    const double upper = ParseIntervalBound(fields[1].begin(), fields[1].end());
    lower_ = lower;
    upper_ = upper;
    return true;
}

void CIntervalImpl::CopyFrom(Vtx::ISerialize* source) {
    // An exact CIntervalImpl (the usual source) is recognised by its type alone; anything
    // else goes through the checked cast.
    CIntervalImpl* interval = source && &typeid(*source) == &typeid(CIntervalImpl)
                                  ? static_cast<CIntervalImpl*>(source)
                                  : Vtx::interface_cast<CIntervalImpl>(source);
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
