#pragma once
// A catalog as the kernel services see it: a source of objects by class identifier. The
// "kernel" catalog lives in the host; every loaded module adds one through its module
// signature.
#include <string>
#include <vector>

#include "vtx/Block.h"
#include "vtx/Datatype.h"
#include "vtx/Object.h"

namespace vtxhost {

enum class ObjectKind { Block, Datatype, DatatypeInitInfo, Domain, Layout };

const char* ObjectKindName(ObjectKind kind);

class CCatalog {
public:
    virtual ~CCatalog() = default;
    virtual const std::string& GetCatalogId() const = 0;
    // The catalog's classes of a kind, in the catalog's order.
    virtual std::vector<std::string> GetClassIds(ObjectKind kind) = 0;
    virtual bool HasClass(ObjectKind kind, const std::string& classId);
    // A new object with count 0 (the caller takes the first reference), or null when the
    // catalog has no such class. The context's class is the host's class object for it.
    virtual Vtx::IObject* Create(ObjectKind kind, const std::string& classId,
                                 const Vtx::OBJECT_CREATIONCTX* context) = 0;
    // Create for a datatype class, the result seen as a datatype (null when it is none); a
    // catalog whose source hands out datatypes directly saves the cast.
    virtual Vtx::IDatatype* CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context);
    // Create for a block class, the result seen as a block (null when it is none); a
    // catalog whose source hands out blocks directly saves the run-time type search.
    virtual Vtx::IBlock* CreateBlock(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context);
};

} // namespace vtxhost
