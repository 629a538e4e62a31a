#pragma once
// A loaded module's catalog, reached through its module signature: class lists from the
// signature's collections, objects from its create operations.
#include <string>
#include <vector>

#include "host/kernel/Catalog.h"

namespace Vtx {
struct IDllSignature;
}

namespace vtxhost {

class CModuleCatalog : public CCatalog {
public:
    // The signature belongs to the module, which must stay loaded while the catalog is used.
    // A signature without a catalog id throws std::runtime_error.
    explicit CModuleCatalog(Vtx::IDllSignature* signature);

    const std::string& GetCatalogId() const override { return id_; }
    std::vector<std::string> GetClassIds(ObjectKind kind) override;
    Vtx::IObject* Create(ObjectKind kind, const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;
    Vtx::IDatatype* CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;
    Vtx::IDllSignature* GetSignature() const { return signature_; }

private:
    Vtx::IDllSignature* signature_;
    std::string id_;
};

} // namespace vtxhost
