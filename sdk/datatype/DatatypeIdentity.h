#pragma once
// The class identity of a datatype: (catalog id, class id), read through its class.
#include "vtx/Object.h"
#include "vtx/ObjectClass.h"

namespace Vtx {

struct DatatypeClassIdentity {
    const char* catalogId = nullptr;
    const char* classId = nullptr;

    // Both parts known.
    bool IsComplete() const { return catalogId && classId; }
};

// The identity of the object's class; a part that cannot be reached (no class, no
// catalog) stays null.
inline DatatypeClassIdentity ClassIdentityOf(IObject* object) {
    DatatypeClassIdentity identity;
    IObjectClass* objectClass = object ? object->GetObjectClass() : nullptr;
    if (!objectClass) return identity;
    identity.classId = objectClass->GetClassId();
    if (IObjectClass* catalog = objectClass->GetCatalog()) identity.catalogId = catalog->GetClassId();
    return identity;
}

} // namespace Vtx
