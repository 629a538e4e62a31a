#include "host/modules/ModuleCatalog.h"

#include <stdexcept>

#include "vtx/Block.h"
#include "vtx/ClassInfo.h"
#include "vtx/Datatype.h"
#include "vtx/DllSignature.h"
#include "vtx/Domain.h"
#include "vtx/Layout.h"

namespace vtxhost {

namespace {

template <class T>
std::vector<std::string> IdsOf(Vtx::IObjectClassCollection<T>* collection) {
    std::vector<std::string> ids;
    if (!collection) return ids;
    const int count = collection->GetCount();
    for (int i = 0; i < count; ++i) {
        const char* id = collection->GetAt(i)->GetClassId();
        ids.push_back(id ? id : "");
    }
    return ids;
}

} // namespace

CModuleCatalog::CModuleCatalog(Vtx::IDllSignature* signature) : signature_(signature) {
    const char* id = signature ? signature->GetCatalogId() : nullptr;
    if (!id || !*id) throw std::runtime_error("the module signature names no catalog");
    id_ = id;
}

std::vector<std::string> CModuleCatalog::GetClassIds(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Block: return IdsOf(signature_->GetBlockClasses());
    case ObjectKind::Datatype: return IdsOf(signature_->GetDatatypeClasses());
    case ObjectKind::DatatypeInitInfo: {
        std::vector<std::string> ids;
        for (const std::string& id : IdsOf(signature_->GetDatatypeClasses()))
            if (signature_->HasDatatypeInitInfo(id.c_str())) ids.push_back(id);
        return ids;
    }
    case ObjectKind::Domain: return IdsOf(signature_->GetDatatypeDomainClasses());
    case ObjectKind::Layout: return IdsOf(signature_->GetDatatypeLayoutClasses());
    }
    return {};
}

Vtx::IObject* CModuleCatalog::Create(ObjectKind kind, const std::string& classId,
                                     const Vtx::OBJECT_CREATIONCTX* context) {
    const char* id = classId.c_str();
    switch (kind) {
    case ObjectKind::Block:
        if (Vtx::IBlock* block = signature_->CreateBlock(id, context)) return static_cast<Vtx::IPropertyObject*>(block);
        return nullptr;
    case ObjectKind::Datatype: return signature_->CreateDatatype(id, context);
    case ObjectKind::DatatypeInitInfo: return signature_->CreateDatatypeInitInfo(id, context);
    case ObjectKind::Domain: return signature_->CreateDatatypeDomain(id, context);
    case ObjectKind::Layout: return signature_->CreateDatatypeLayout(id, context);
    }
    return nullptr;
}

Vtx::IDatatype* CModuleCatalog::CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) {
    return signature_->CreateDatatype(classId.c_str(), context);
}

} // namespace vtxhost
