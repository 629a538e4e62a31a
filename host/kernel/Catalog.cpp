#include "host/kernel/Catalog.h"

#include <algorithm>

namespace vtxhost {

const char* ObjectKindName(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Block: return "block";
    case ObjectKind::Datatype: return "datatype";
    case ObjectKind::DatatypeInitInfo: return "datatype init information";
    case ObjectKind::Domain: return "domain";
    case ObjectKind::Layout: return "layout";
    }
    return "object";
}

bool CCatalog::HasClass(ObjectKind kind, const std::string& classId) {
    const auto ids = GetClassIds(kind);
    return std::find(ids.begin(), ids.end(), classId) != ids.end();
}

Vtx::IDatatype* CCatalog::CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) {
    return dynamic_cast<Vtx::IDatatype*>(Create(ObjectKind::Datatype, classId, context));
}

Vtx::IBlock* CCatalog::CreateBlock(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) {
    return dynamic_cast<Vtx::IBlock*>(Create(ObjectKind::Block, classId, context));
}

} // namespace vtxhost
