#pragma once
// One text per calling thread, shared between a host and its modules: computed texts
// handed across the boundary live here until the same thread's next one.
#include "vtx/ReferenceCounted.h"

namespace Vtx {

struct IThreadSpecificValue : ulx::I_ReferenceCountedClass {
    // The calling thread's payload, made empty on first use.
    virtual void* AcquireThreadValue() = 0;
    // Deletes the calling thread's payload, if it has one.
    virtual void ReleaseThreadValue() = 0;
    // The calling thread's text; valid until that thread's text changes.
    virtual const char* GetText() = 0;
    virtual void SetText(const char* text) = 0;
    virtual ~IThreadSpecificValue() = default;
};

} // namespace Vtx
