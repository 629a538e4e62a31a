#include "FractionImpl.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <numeric>

#include "sdk/datatype/CreateFunctions.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"

namespace {

void StoreLittleEndian(std::uint8_t* out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t LoadLittleEndian(const std::uint8_t* in) {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

// One whole 32-bit decimal integer filling [begin, end), or false.
bool ParseTerm(const char* begin, const char* end, std::int64_t& term) {
    std::int32_t value = 0;
    const std::from_chars_result result = std::from_chars(begin, end, value);
    if (begin == end || result.ec != std::errc() || result.ptr != end) return false;
    term = value;
    return true;
}

} // namespace

CFractionImpl::CFractionImpl(const Vtx::OBJECT_CREATIONCTX* context) : CDatatypeImpl(context) {}

bool CFractionImpl::SetValue(std::int64_t numerator, std::int64_t denominator) {
    // 64-bit terms keep the sign change of -2147483648 exact; std::gcd is of magnitudes.
    if (denominator == 0 || numerator == std::numeric_limits<std::int64_t>::min() ||
        denominator == std::numeric_limits<std::int64_t>::min())
        return false;
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    const std::int64_t divisor = std::gcd(numerator, denominator);
    numerator /= divisor;
    denominator /= divisor;
    if (numerator < std::numeric_limits<std::int32_t>::min() || numerator > std::numeric_limits<std::int32_t>::max() ||
        denominator > std::numeric_limits<std::int32_t>::max())
        return false;
    numerator_ = static_cast<std::int32_t>(numerator);
    denominator_ = static_cast<std::int32_t>(denominator);
    return true;
}

Vtx::SerializeBuffer* CFractionImpl::SerializeBinary() {
    // The form is one C-heap block; the host gives it back to FreeBinary (the base's).
    Vtx::SerializeBuffer* buffer = Vtx::AllocateSerializeBuffer(kBinarySize);
    if (!buffer) return nullptr;
    std::uint8_t* payload = Vtx::GetSerializeBufferData(buffer);
    StoreLittleEndian(payload, numerator_);
    StoreLittleEndian(payload + 4, denominator_);
    return buffer;
}

bool CFractionImpl::UnserializeBinary(const Vtx::SerializeBuffer* buffer) {
    if (!buffer) return true;
    if (Vtx::GetSerializeBufferSize(buffer) != kBinarySize) return false;
    const std::uint8_t* payload = Vtx::GetSerializeBufferData(buffer);
    return SetValue(LoadLittleEndian(payload), LoadLittleEndian(payload + 4));
}

char* CFractionImpl::SerializeString() {
    char text[2 * 11 + 2];  // two terms of at most 11 characters ("-2147483648") and '/'
    char* end = std::to_chars(text, text + 11, numerator_).ptr;
    *end++ = '/';
    end = std::to_chars(end, end + 11, denominator_).ptr;
    return Vtx::DuplicateText(text, static_cast<std::size_t>(end - text));
}

bool CFractionImpl::UnserializeString(const char* text) {
    if (!text) return false;
    const char* end = text + std::strlen(text);
    const char* slash = std::find(text, end, '/');
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;
    if (slash == end || !ParseTerm(text, slash, numerator) || !ParseTerm(slash + 1, end, denominator)) return false;
    return SetValue(numerator, denominator);
}

void CFractionImpl::CopyFrom(Vtx::ISerialize* source) {
    // interface_cast throws the SDK's cast exception for null or for another datatype.
    // Through SetValue, so that another implementation's value is brought to lowest terms.
    IFraction* fraction = Vtx::interface_cast<IFraction>(source);
    if (!SetValue(fraction->GetNumerator(), fraction->GetDenominator()))
        throw Vtx::CLogicExceptionImpl(Vtx::Messages::kUnserializeFailed);
}

Vtx::IObject* CreateFractionObject(const Vtx::OBJECT_CREATIONCTX* context) {
    // Allocates with the count at 0 (the host takes the first reference) and turns a
    // std::exception from the constructor into the SDK's exception type.
    return Vtx::CreateDatatypeInstance<CFractionImpl>(context);
}
