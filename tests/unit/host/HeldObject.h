#pragma once
// One reference on an object a test made through the kernel, seen through interface I, and
// the text form of a serialisable object.
#include <string>

#include "host/kernel/KernelServices.h"
#include "vtx/Serialize.h"

template <class I>
class Held {
public:
    template <class T>
    explicit Held(T* object) : object_(object), typed_(dynamic_cast<I*>(object)) {
        if (object_) object_->AddRef();
    }
    ~Held() {
        if (object_) object_->Release();
    }
    Held(Held&& other) noexcept : object_(other.object_), typed_(other.typed_) { other.object_ = nullptr; }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    I* operator->() const { return typed_; }
    I* get() const { return typed_; }
    operator I*() const { return typed_; }

private:
    ulx::I_ReferenceCountedClass* object_;
    I* typed_;
};

// A new kernel datatype of the given class.
template <class I>
Held<I> NewDatatype(vtxhost::CKernelServices& kernel, const char* classId, const char* catalogId = "kernel") {
    return Held<I>(kernel.CreateDatatype(catalogId, classId));
}

inline std::string TextOf(Vtx::ISerialize* object) {
    Vtx::ProducedText text(object);
    return text ? text.get() : "<null>";
}
