#include "host/kernel/KernelDatatypeBase.h"

#include "sdk/datatype/CopyValueAndTime.h"

#include <new>
#include <stdexcept>

namespace vtxhost {

Vtx::SerializeBuffer* MakeSerializeBuffer(const std::string& payload) {
    if (payload.size() > 0xffffffffu) throw std::length_error("binary form too large");
    auto* buffer = static_cast<Vtx::SerializeBuffer*>(std::malloc(Vtx::kSerializeBufferHeaderSize + payload.size()));
    if (!buffer) return nullptr;
    Vtx::SetSerializeBufferSize(buffer, static_cast<std::uint32_t>(payload.size()));
    if (!payload.empty()) std::memcpy(Vtx::GetSerializeBufferData(buffer), payload.data(), payload.size());
    return buffer;
}

std::string PayloadOf(const Vtx::SerializeBuffer* buffer) {
    if (!buffer) return {};
    return std::string(reinterpret_cast<const char*>(Vtx::GetSerializeBufferData(buffer)),
                       Vtx::GetSerializeBufferSize(buffer));
}

char* MakeText(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void PutU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

void PutU64(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

void PutText(std::string& out, const std::string& text) {
    if (text.size() > 0xffffffffu) throw std::length_error("text too long for a binary form");
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

bool PayloadReader::U32(std::uint32_t& value) {
    if (payload_.size() - position_ < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(payload_[position_ + i])) << (8 * i);
    position_ += 4;
    return true;
}

bool PayloadReader::U64(std::uint64_t& value) {
    if (payload_.size() - position_ < 8) return false;
    value = 0;
    for (int i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(payload_[position_ + i])) << (8 * i);
    position_ += 8;
    return true;
}

bool PayloadReader::Text(std::string& text) {
    std::uint32_t size = 0;
    if (!U32(size) || payload_.size() - position_ < size) return false;
    text.assign(payload_, position_, size);
    position_ += size;
    return true;
}

void CopyValueAndTime(Vtx::IDatatype* destination, Vtx::IDatatype* source) {
    if (!destination || !source) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullDatatype);
    Vtx::CopyValueAndTime(destination, source);
}

std::string CatalogIdOf(Vtx::IObject* object) {
    Vtx::IObjectClass* objectClass = object ? object->GetObjectClass() : nullptr;
    Vtx::IObjectClass* catalog = objectClass ? objectClass->GetCatalog() : nullptr;
    const char* id = catalog ? catalog->GetClassId() : nullptr;
    return id ? id : "";
}

std::string ClassIdOf(Vtx::IObject* object) {
    Vtx::IObjectClass* objectClass = object ? object->GetObjectClass() : nullptr;
    const char* id = objectClass ? objectClass->GetClassId() : nullptr;
    return id ? id : "";
}

} // namespace vtxhost
