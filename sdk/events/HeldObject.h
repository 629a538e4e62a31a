#pragma once
// A counted reference that a queued event call keeps on its object argument: taken when the
// call is bound, given back when the last copy of the bound call goes, whether it ran or not.
#include <utility>

#include "vtx/ReferenceCounted.h"

namespace Vtx {

class CHeldObject {
public:
    explicit CHeldObject(ulx::I_ReferenceCountedClass* object) : object_(object) {
        if (object_) object_->AddRef();
    }
    CHeldObject(const CHeldObject& other) : object_(other.object_) {
        if (object_) object_->AddRef();
    }
    CHeldObject(CHeldObject&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    CHeldObject& operator=(CHeldObject other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~CHeldObject() {
        if (object_) object_->Release();
    }

    ulx::I_ReferenceCountedClass* get() const { return object_; }

private:
    ulx::I_ReferenceCountedClass* object_;
};

}  // namespace Vtx
