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
std::vector<std::string> IdsOf(Vtx::IObjectClassCollection<T>* collection, ObjectKind kind) {
    std::vector<std::string> ids;
    if (!collection) return ids;
    const int count = collection->GetCount();
    const std::string what = std::string("the module's ") + ObjectKindName(kind) + " class collection";
    if (count < 0 || count > CModuleCatalog::kMaxRecords)
        throw std::runtime_error(what + " claims " + std::to_string(count) + " records, outside 0 to " +
                                 std::to_string(CModuleCatalog::kMaxRecords));
    ids.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        T* record = collection->GetAt(i);
        if (!record) throw std::runtime_error(what + " holds a null record at index " + std::to_string(i));
        const char* id = record->GetClassId();
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

std::vector<std::string> CModuleCatalog::GetClassIds(ObjectKind kind) { return Classes(kind).ids; }

bool CModuleCatalog::HasClass(ObjectKind kind, const std::string& classId) {
    return Classes(kind).index.count(classId) > 0;
}

void CModuleCatalog::ReadClassLists() {
    for (ObjectKind kind : {ObjectKind::Block, ObjectKind::Datatype, ObjectKind::DatatypeInitInfo, ObjectKind::Domain,
                            ObjectKind::Layout})
        Classes(kind);
}

const CModuleCatalog::ClassList& CModuleCatalog::Classes(ObjectKind kind) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = classes_.find(kind);
    if (found != classes_.end()) return found->second;
    ClassList list;
    list.ids = ReadClassIds(kind);
    list.index.insert(list.ids.begin(), list.ids.end());
    return classes_.emplace(kind, std::move(list)).first->second;
}

std::vector<std::string> CModuleCatalog::ReadClassIds(ObjectKind kind) {
    switch (kind) {
    case ObjectKind::Block: return IdsOf(signature_->GetBlockClasses(), kind);
    case ObjectKind::Datatype: return IdsOf(signature_->GetDatatypeClasses(), kind);
    case ObjectKind::DatatypeInitInfo: {
        std::vector<std::string> ids;
        for (const std::string& id : Classes(ObjectKind::Datatype).ids)
            if (signature_->HasDatatypeInitInfo(id.c_str())) ids.push_back(id);
        return ids;
    }
    case ObjectKind::Domain: return IdsOf(signature_->GetDatatypeDomainClasses(), kind);
    case ObjectKind::Layout: return IdsOf(signature_->GetDatatypeLayoutClasses(), kind);
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

Vtx::IBlock* CModuleCatalog::CreateBlock(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) {
    return signature_->CreateBlock(classId.c_str(), context);
}

} // namespace vtxhost
