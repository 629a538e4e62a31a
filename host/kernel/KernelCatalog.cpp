#include "host/kernel/KernelCatalog.h"

#include "host/signature/Domains.h"
#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelDatatypes.h"
#include "host/signature/Layouts.h"
#include "sdk/object/Exceptions.h"

namespace vtxhost {

namespace {

template <class T>
CKernelCatalog::CreateFunction Maker() {
    return [](const Vtx::OBJECT_CREATIONCTX* context) -> Vtx::IObject* {
        return Vtx::TranslateStdExceptions([&]() -> Vtx::IObject* { return new T(context); });
    };
}

template <class T>
Vtx::IDatatype* MakeDatatype(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IDatatype* { return new T(context); });
}

} // namespace

template <class T>
void CKernelCatalog::AddDatatype(const std::string& classId) {
    AddClass(ObjectKind::Datatype, classId, Maker<T>());
    datatypes_.emplace_back(classId, &MakeDatatype<T>);
}

CKernelCatalog::CKernelCatalog() {
    AddDatatype<CDoubleImpl>("double");
    AddDatatype<CIntImpl>("int");
    AddDatatype<CBoolImpl>("bool");
    AddDatatype<CStringImpl>("string");
    AddDatatype<CTriggerImpl>("trigger");
    AddDatatype<CLabelledSetImpl>("labeled_set");
    AddDatatype<CGenericDatatypeImpl>("generic_datatype");
    AddDatatype<CScalarArithOpDoubleImpl>("scalar_arith_op_double");
    AddDatatype<CStringPairImpl>("string_pair");
    AddClass(ObjectKind::DatatypeInitInfo, "labeled_set", Maker<CLabelledSetInitInfoImpl>());
    AddClass(ObjectKind::Domain, "int-domain", Maker<CIntDomainImpl>());
    AddClass(ObjectKind::Domain, "double-domain", Maker<CDoubleDomainImpl>());
    AddClass(ObjectKind::Layout, "combo", Maker<CComboLayoutImpl>());
    AddClass(ObjectKind::Layout, "filename", Maker<CFilenameLayoutImpl>());
    AddClass(ObjectKind::Layout, "foldername", Maker<CFoldernameLayoutImpl>());
    AddClass(ObjectKind::Layout, "datatype_selector_combo", Maker<CDatatypeSelectorComboLayoutImpl>());
    RegisterKernelBlocks(*this);
}

void CKernelCatalog::AddClass(ObjectKind kind, const std::string& classId, CreateFunction create) {
    // A class added again is made by its new function only.
    if (kind == ObjectKind::Datatype) {
        for (auto entry = datatypes_.begin(); entry != datatypes_.end(); ++entry) {
            if (entry->first == classId) {
                datatypes_.erase(entry);
                break;
            }
        }
    }
    auto& classes = classes_[kind];
    for (auto& entry : classes) {
        if (entry.first == classId) {
            entry.second = std::move(create);
            return;
        }
    }
    classes.emplace_back(classId, std::move(create));
}

std::vector<std::string> CKernelCatalog::GetClassIds(ObjectKind kind) {
    std::vector<std::string> ids;
    for (const auto& entry : classes_[kind]) ids.push_back(entry.first);
    return ids;
}

Vtx::IObject* CKernelCatalog::Create(ObjectKind kind, const std::string& classId,
                                     const Vtx::OBJECT_CREATIONCTX* context) {
    for (const auto& entry : classes_[kind])
        if (entry.first == classId) return entry.second(context);
    return nullptr;
}

Vtx::IDatatype* CKernelCatalog::CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) {
    for (const auto& entry : datatypes_)
        if (entry.first == classId) return entry.second(context);
    return CCatalog::CreateDatatype(classId, context);
}

} // namespace vtxhost
