#pragma once
// The host's own "kernel" catalog: its datatypes, the labelled set's init information, the
// two domains, the four layouts and the kernel blocks. Further block classes may be added
// (tests add their own).
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/kernel/Catalog.h"

namespace vtxhost {

class CKernelCatalog : public CCatalog {
public:
    using CreateFunction = std::function<Vtx::IObject*(const Vtx::OBJECT_CREATIONCTX*)>;

    CKernelCatalog();
    const std::string& GetCatalogId() const override { return id_; }
    std::vector<std::string> GetClassIds(ObjectKind kind) override;
    Vtx::IObject* Create(ObjectKind kind, const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;
    // The kernel's own datatypes are made as datatypes, without a run-time type search;
    // datatype classes added with AddClass go through Create and the cast.
    Vtx::IDatatype* CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;

    void AddClass(ObjectKind kind, const std::string& classId, CreateFunction create);

private:
    using DatatypeFunction = Vtx::IDatatype* (*)(const Vtx::OBJECT_CREATIONCTX*);
    template <class T>
    void AddDatatype(const std::string& classId);

    std::string id_ = "kernel";
    std::map<ObjectKind, std::vector<std::pair<std::string, CreateFunction>>> classes_;
    std::vector<std::pair<std::string, DatatypeFunction>> datatypes_;
};

} // namespace vtxhost
