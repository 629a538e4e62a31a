#pragma once
// Allocation of binary forms: one C-heap block for the size word and the payload, so that
// producing and releasing a form costs one malloc and one free.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "vtx/Serialize.h"

namespace Vtx {

// Largest payload a size word can describe.
inline constexpr std::size_t kMaxSerializePayload =
    std::numeric_limits<std::uint32_t>::max() - kSerializeBufferHeaderSize;

// A new buffer with `size` zero payload bytes; null when the allocation fails.
inline SerializeBuffer* AllocateSerializeBuffer(std::size_t size) {
    if (size > kMaxSerializePayload) return nullptr;
    void* block = std::malloc(kSerializeBufferHeaderSize + size);
    if (!block) return nullptr;
    SerializeBuffer* buffer = static_cast<SerializeBuffer*>(block);
    SetSerializeBufferSize(buffer, static_cast<std::uint32_t>(size));
    if (size) std::memset(GetSerializeBufferData(buffer), 0, size);
    return buffer;
}

// Frees the buffer, if any, and leaves the pointer null.
inline void FreeSerializeBuffer(SerializeBuffer*& buffer) {
    if (buffer) std::free(buffer);
    buffer = nullptr;
}

// A new buffer of the same size and payload; null for null or when the allocation fails.
inline SerializeBuffer* CloneSerializeBuffer(const SerializeBuffer* buffer) {
    if (!buffer) return nullptr;
    const std::size_t size = GetSerializeBufferSize(buffer);
    void* block = std::malloc(kSerializeBufferHeaderSize + size);
    if (block) std::memcpy(block, buffer, kSerializeBufferHeaderSize + size);
    return static_cast<SerializeBuffer*>(block);
}

// A buffer that this module allocated and still owns.
struct SerializeBufferDeleter {
    void operator()(SerializeBuffer* buffer) const { std::free(buffer); }
};
using OwnedSerializeBuffer = std::unique_ptr<SerializeBuffer, SerializeBufferDeleter>;

// A C-heap copy of `length` characters followed by a zero; null when the allocation fails.
inline char* DuplicateText(const char* text, std::size_t length) {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) return nullptr;
    if (length) std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

} // namespace Vtx
