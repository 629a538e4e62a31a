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

} // namespace

CKernelCatalog::CKernelCatalog() {
    AddClass(ObjectKind::Datatype, "double", Maker<CDoubleImpl>());
    AddClass(ObjectKind::Datatype, "int", Maker<CIntImpl>());
    AddClass(ObjectKind::Datatype, "bool", Maker<CBoolImpl>());
    AddClass(ObjectKind::Datatype, "string", Maker<CStringImpl>());
    AddClass(ObjectKind::Datatype, "trigger", Maker<CTriggerImpl>());
    AddClass(ObjectKind::Datatype, "labeled_set", Maker<CLabelledSetImpl>());
    AddClass(ObjectKind::Datatype, "generic_datatype", Maker<CGenericDatatypeImpl>());
    AddClass(ObjectKind::Datatype, "scalar_arith_op_double", Maker<CScalarArithOpDoubleImpl>());
    AddClass(ObjectKind::Datatype, "string_pair", Maker<CStringPairImpl>());
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

} // namespace vtxhost
