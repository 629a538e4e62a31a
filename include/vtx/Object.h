#pragma once
// The object interface of every instance the host asks a catalog to create, and the
// creation context the host fills for it.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

struct OBJECT_CREATIONCTX {
    std::uint64_t objectId;          // non-zero
    std::uint16_t languageId;        // Windows LANGID
    IObjectClass* objectClass;       // may be null
    IKernelServices* kernelServices; // the host's kernel services
};

struct IObject : ulx::I_ReferenceCountedClass {
    // Deletes the object at once, whatever its count.
    virtual void DeleteInstance() = 0;
    virtual std::uint64_t GetObjectIdentifier() = 0;
    // The class as the generic object-class interface.
    virtual IObjectClass* GetObjectClass() = 0;
    // The same class pointer as the implementation's specific class interface (a block's
    // IBlockClass, a datatype's IDatatypeClass), which implementations answer with that type.
    // Those interfaces derive from IObjectClass alone, so the pointer handed out here is the
    // typed one, bit for bit; the typed interfaces offer it under their own name
    // (IBlock::GetBlockClass).
    virtual IObjectClass* GetTypedObjectClass() = 0;
    virtual IKernelServices* GetKernelServices() = 0;
    // The same pointer, through a const object.
    virtual IKernelServices* GetKernelServices() const = 0;

protected:
    ~IObject() = default;
};

} // namespace Vtx
