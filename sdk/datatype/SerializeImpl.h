#pragma once
// Default binary and text forms of a serialisable object. A class overrides one form (or
// both); each default derives itself from the other form, and two re-entrancy flags stop
// the recursion when neither is overridden: such an object then has no form at all.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "sdk/datatype/HexText.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "sdk/object/ScopedStateSaver.h"
#include "vtx/Serialize.h"

namespace Vtx {

template <class I>
class CSerializeImpl : public I {
public:
    CSerializeImpl() = default;

    // The text form's characters, without the terminating zero; an empty text gives null.
    SerializeBuffer* SerializeBinary() override {
        if (binaryBusy_) return nullptr;
        return TranslateStdExceptions([this]() -> SerializeBuffer* {
            auto busy = ulx::make_scoped_state_saver(&binaryBusy_, true);
            ProducedText text(this, this->SerializeString());
            if (!text || text.get()[0] == '\0') return nullptr;
            const std::size_t length = std::strlen(text.get());
            SerializeBuffer* buffer = AllocateSerializeBuffer(length);
            if (buffer) std::memcpy(GetSerializeBufferData(buffer), text.get(), length);
            return buffer;
        });
    }

    void FreeBinary(SerializeBuffer* buffer) override { std::free(buffer); }

    // Loads the payload, up to its first zero byte, as the text form. A null or empty
    // buffer is accepted and changes nothing.
    bool UnserializeBinary(const SerializeBuffer* buffer) override {
        const std::uint32_t size = GetSerializeBufferSize(buffer);
        if (size == 0) return true;
        if (binaryBusy_) return false;
        return TranslateStdExceptions([this, buffer, size] {
            const char* data = reinterpret_cast<const char*>(GetSerializeBufferData(buffer));
            const void* zero = std::memchr(data, 0, size);
            const std::string text(data, zero ? static_cast<const char*>(zero) - data : size);
            auto busy = ulx::make_scoped_state_saver(&binaryBusy_, true);
            return this->UnserializeString(text.c_str());
        });
    }

    // The binary payload in the hex text form; a payload of size 0 gives the empty text.
    char* SerializeString() override {
        if (textBusy_) return nullptr;
        return TranslateStdExceptions([this]() -> char* {
            auto busy = ulx::make_scoped_state_saver(&textBusy_, true);
            ProducedBinary buffer(this, this->SerializeBinary());
            if (!buffer) return nullptr;
            const std::size_t length = HexTextLength(buffer.size());
            char* text = static_cast<char*>(std::malloc(length + 1));
            if (!text) return nullptr;
            WriteHexText(buffer.data(), buffer.size(), text);
            text[length] = '\0';
            return text;
        });
    }

    void FreeString(char* text) override { std::free(text); }

    // Loads a hex text as the binary form. Null and empty texts are accepted and change
    // nothing; malformed text gives false.
    bool UnserializeString(const char* text) override {
        if (!text || text[0] == '\0') return true;
        if (textBusy_) return false;
        try {
            OwnedSerializeBuffer buffer = DecodeHexText(text, std::strlen(text));
            auto busy = ulx::make_scoped_state_saver(&textBusy_, true);
            return this->UnserializeBinary(buffer.get());
        } catch (const std::exception&) {
            return false;
        }
    }

    // Copies through the source's binary form; a source without one leaves this unchanged.
    void CopyFrom(ISerialize* source) override {
        if (!source) throw CLogicExceptionImpl(Messages::kNullSerializable);
        TranslateStdExceptions([this, source] {
            bool loaded;
            {
                ProducedBinary buffer(source);
                loaded = this->UnserializeBinary(buffer.get());
            }
            if (!loaded) throw CLogicExceptionImpl(Messages::kUnserializeFailed);
        });
    }

    // Equality of the binary forms, byte for byte; two objects without one are equal.
    bool IsEqual(ISerialize* other) override {
        if (!other) return false;
        return TranslateStdExceptions([this, other] {
            ProducedBinary mine(this);
            ProducedBinary theirs(other);  // released first, then mine
            if (!mine || !theirs) return !mine && !theirs;
            return mine.size() == theirs.size() && std::memcmp(mine.data(), theirs.data(), mine.size()) == 0;
        });
    }

private:
    bool binaryBusy_ = false;
    bool textBusy_ = false;
};

} // namespace Vtx
