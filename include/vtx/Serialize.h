#pragma once
// Serialisable objects and their two forms.
//
// Binary form: one C-heap block holding a 32-bit little-endian payload size n followed by
// the n payload bytes. Text form: one C-heap zero-terminated string. A null pointer stands
// for the absence of a form. Whoever produced a form frees it: a form obtained from an
// object goes back to the same object's FreeBinary / FreeString, so that it is freed by the
// module that allocated it.
#include <cstddef>
#include <cstdint>

#include "vtx/Object.h"

namespace Vtx {

// A binary form. The type is only ever used through pointers to heap blocks laid out as
// above; the inline functions below read and write that layout on any byte order.
struct SerializeBuffer;

inline constexpr std::size_t kSerializeBufferHeaderSize = 4;

// Payload size of a binary form; 0 for a null buffer.
inline std::uint32_t GetSerializeBufferSize(const SerializeBuffer* buffer) {
    if (!buffer) return 0;
    const std::uint8_t* b = reinterpret_cast<const std::uint8_t*>(buffer);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline void SetSerializeBufferSize(SerializeBuffer* buffer, std::uint32_t size) {
    std::uint8_t* b = reinterpret_cast<std::uint8_t*>(buffer);
    b[0] = static_cast<std::uint8_t>(size);
    b[1] = static_cast<std::uint8_t>(size >> 8);
    b[2] = static_cast<std::uint8_t>(size >> 16);
    b[3] = static_cast<std::uint8_t>(size >> 24);
}

inline std::uint8_t* GetSerializeBufferData(SerializeBuffer* buffer) {
    return reinterpret_cast<std::uint8_t*>(buffer) + kSerializeBufferHeaderSize;
}
inline const std::uint8_t* GetSerializeBufferData(const SerializeBuffer* buffer) {
    return reinterpret_cast<const std::uint8_t*>(buffer) + kSerializeBufferHeaderSize;
}

struct ISerialize : IObject {
    // A new binary form owned by the caller, or null when the object has none.
    virtual SerializeBuffer* SerializeBinary() = 0;
    // Frees a binary form this object produced; null is ignored.
    virtual void FreeBinary(SerializeBuffer* buffer) = 0;
    // Loads a binary form (null allowed); true when the object took the value.
    virtual bool UnserializeBinary(const SerializeBuffer* buffer) = 0;
    // A new text form owned by the caller, or null when the object has none.
    virtual char* SerializeString() = 0;
    // Frees a text form this object produced; null is ignored.
    virtual void FreeString(char* text) = 0;
    // Loads a text form (null allowed); true when the object took the value.
    virtual bool UnserializeString(const char* text) = 0;
    // Takes the value of the source; throws on failure.
    virtual void CopyFrom(ISerialize* source) = 0;
    // Whether the other object holds the same value; false for null.
    virtual bool IsEqual(ISerialize* other) = 0;

protected:
    ~ISerialize() = default;
};

// Holds a binary form and gives it back to the object that produced it.
class ProducedBinary {
public:
    ProducedBinary(ISerialize* producer, SerializeBuffer* buffer) : producer_(producer), buffer_(buffer) {}
    // Asks the producer for its binary form.
    explicit ProducedBinary(ISerialize* producer) : producer_(producer), buffer_(producer->SerializeBinary()) {}
    ~ProducedBinary() { reset(); }
    ProducedBinary(const ProducedBinary&) = delete;
    ProducedBinary& operator=(const ProducedBinary&) = delete;

    SerializeBuffer* get() const { return buffer_; }
    explicit operator bool() const { return buffer_ != nullptr; }
    std::uint32_t size() const { return GetSerializeBufferSize(buffer_); }
    const std::uint8_t* data() const { return buffer_ ? GetSerializeBufferData(buffer_) : nullptr; }
    void reset() {
        if (buffer_) producer_->FreeBinary(buffer_);
        buffer_ = nullptr;
    }

private:
    ISerialize* producer_;
    SerializeBuffer* buffer_;
};

// Holds a text form and gives it back to the object that produced it.
class ProducedText {
public:
    ProducedText(ISerialize* producer, char* text) : producer_(producer), text_(text) {}
    // Asks the producer for its text form.
    explicit ProducedText(ISerialize* producer) : producer_(producer), text_(producer->SerializeString()) {}
    ~ProducedText() { reset(); }
    ProducedText(const ProducedText&) = delete;
    ProducedText& operator=(const ProducedText&) = delete;

    const char* get() const { return text_; }
    explicit operator bool() const { return text_ != nullptr; }
    void reset() {
        if (text_) producer_->FreeString(text_);
        text_ = nullptr;
    }

private:
    ISerialize* producer_;
    char* text_;
};

} // namespace Vtx
