#pragma once
// The common body of the "kernel" catalog's datatypes and init-information objects: both
// forms (binary and text) produced and loaded through four small hooks, value copy and
// equality through the binary form, time attributes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <typeinfo>

#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"
#include "sdk/datatype/DatatypeImpl.h"
#include "sdk/datatype/DatatypeInitInfoImpl.h"
#include "sdk/object/ObjectImpl.h"
#include "vtx/Datatype.h"
#include "vtx/Exception.h"
#include "vtx/ObjectClass.h"

namespace vtxhost {

// A binary form in one C-heap block; null when the allocation fails.
Vtx::SerializeBuffer* MakeSerializeBuffer(const std::string& payload);
std::string PayloadOf(const Vtx::SerializeBuffer* buffer);
char* MakeText(const std::string& text);

// Little-endian writers and a bounds-checked reader for the binary payloads.
void PutU32(std::string& out, std::uint32_t value);
void PutU64(std::string& out, std::uint64_t value);
void PutText(std::string& out, const std::string& text);
class PayloadReader {
public:
    explicit PayloadReader(const std::string& payload) : payload_(payload) {}
    bool U32(std::uint32_t& value);
    bool U64(std::uint64_t& value);
    bool Text(std::string& text);
    bool AtEnd() const { return position_ == payload_.size(); }

private:
    const std::string& payload_;
    std::size_t position_ = 0;
};

// Serialisation over the hooks, replacing the SDK's defaults: Base is the SDK's datatype or
// init-information base over an ISerialize interface.
template <class Base>
class CKernelSerializeImpl : public Base {
public:
    using Base::Base;

    Vtx::SerializeBuffer* SerializeBinary() override {
        return Vtx::TranslateStdExceptions([&] { return MakeSerializeBuffer(WriteBinary()); });
    }
    void FreeBinary(Vtx::SerializeBuffer* buffer) override { std::free(buffer); }
    // A null buffer carries no value: accepted, nothing changes.
    // A form naming an element class that cannot be created is malformed: false.
    bool UnserializeBinary(const Vtx::SerializeBuffer* buffer) override {
        if (!buffer) return true;
        try {
            return Vtx::TranslateStdExceptions([&] { return ReadBinary(PayloadOf(buffer)); });
        } catch (Vtx::ILogicException&) {
            return false;
        }
    }
    char* SerializeString() override {
        return Vtx::TranslateStdExceptions([&] { return MakeText(WriteText()); });
    }
    void FreeString(char* text) override { std::free(text); }
    // A null text carries no value: accepted, nothing changes.
    bool UnserializeString(const char* text) override {
        if (!text) return true;
        try {
            return Vtx::TranslateStdExceptions([&] { return ReadText(text); });
        } catch (Vtx::ILogicException&) {
            return false;
        }
    }
    void CopyFrom(Vtx::ISerialize* source) override {
        if (!source) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kNullSerializable);
        if (source == this) return;
        if (CopySameClass(source)) return;
        Vtx::ProducedBinary binary(source);
        if (!UnserializeBinary(binary.get())) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kUnserializeFailed);
    }
    bool IsEqual(Vtx::ISerialize* other) override {
        if (!other) return false;
        if (other == this) return true;
        Vtx::ProducedBinary mine(this);
        Vtx::ProducedBinary theirs(other);
        if (!mine || !theirs) return !mine && !theirs;
        return mine.size() == theirs.size() && std::memcmp(mine.data(), theirs.data(), mine.size()) == 0;
    }

protected:
    // Takes the value of a source of exactly this class directly, which is what loading its
    // binary form would do; false (nothing done) for a source of another class, which then
    // goes through its binary form.
    virtual bool CopySameClass(Vtx::ISerialize*) { return false; }

    // The value as binary payload and as text; loading returns false for a malformed form
    // and leaves the value unchanged then.
    virtual std::string WriteBinary() = 0;
    virtual bool ReadBinary(const std::string& payload) = 0;
    virtual std::string WriteText() = 0;
    virtual bool ReadText(const std::string& text) = 0;
};

// A "kernel" datatype: both forms and value copy of its own over the SDK's datatype base
// (default init handling, time attributes, Swap).
template <class I>
class CKernelDatatypeImpl : public CKernelSerializeImpl<Vtx::CDatatypeImpl<I>> {
    using Base = CKernelSerializeImpl<Vtx::CDatatypeImpl<I>>;

public:
    explicit CKernelDatatypeImpl(const Vtx::OBJECT_CREATIONCTX* context) : Base(context) {}
};

// A "kernel" init-information object.
template <class I>
class CKernelInitInfoImpl : public CKernelSerializeImpl<Vtx::CDatatypeInitInfoImpl<I>> {
    using Base = CKernelSerializeImpl<Vtx::CDatatypeInitInfoImpl<I>>;

public:
    explicit CKernelInitInfoImpl(const Vtx::OBJECT_CREATIONCTX* context) : Base(context) {}
};

// The source as an object of class T when it is exactly of that class, else null.
template <class T>
T* OfSameClass(Vtx::ISerialize* source) {
    // Compared by address: a type described twice only takes the general path.
    return source && &typeid(*source) == &typeid(T) ? static_cast<T*>(source) : nullptr;
}

// A kernel datatype whose whole value is one member of type T: a source of exactly its own
// class (Derived) hands the value over directly, any other goes through its binary form.
template <class I, class T, class Derived>
class CKernelValueImpl : public CKernelDatatypeImpl<I> {
public:
    using CKernelDatatypeImpl<I>::CKernelDatatypeImpl;
    void CopyFrom(Vtx::ISerialize* source) override {
        if (auto* same = OfSameClass<Derived>(source))
            value_ = same->value_;
        else
            CKernelDatatypeImpl<I>::CopyFrom(source);
    }

protected:
    T value_{};
};

// The bits of a double as the binary forms carry them, and back.
inline std::uint64_t BitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline double DoubleOf(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Value, timestamp and the other time attributes, in the order the block framework uses.
void CopyValueAndTime(Vtx::IDatatype* destination, Vtx::IDatatype* source);

// The class identity of a datatype as (catalog id, class id); empty texts when the object
// has no class.
std::string CatalogIdOf(Vtx::IObject* object);
std::string ClassIdOf(Vtx::IObject* object);

} // namespace vtxhost
