#pragma once
// A loaded module's catalog, reached through its module signature: class lists from the
// signature's collections, objects from its create operations.
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
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
    // The class lists are read from the signature once, on first use, and kept with an
    // index: a look-up, found or not, never walks the module's collections again. A
    // collection with a null record or a count outside 0 to the limit throws
    // std::runtime_error naming it.
    std::vector<std::string> GetClassIds(ObjectKind kind) override;
    bool HasClass(ObjectKind kind, const std::string& classId) override;
    // Reads every class list now, so that a broken collection is refused before use.
    void ReadClassLists();
    Vtx::IObject* Create(ObjectKind kind, const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;
    Vtx::IDatatype* CreateDatatype(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;
    Vtx::IBlock* CreateBlock(const std::string& classId, const Vtx::OBJECT_CREATIONCTX* context) override;
    Vtx::IDllSignature* GetSignature() const { return signature_; }

    // The most records a collection may claim.
    static constexpr int kMaxRecords = 1000000;

private:
    struct ClassList {
        std::vector<std::string> ids;
        std::unordered_set<std::string> index;
    };
    const ClassList& Classes(ObjectKind kind);
    std::vector<std::string> ReadClassIds(ObjectKind kind);

    Vtx::IDllSignature* signature_;
    std::string id_;
    std::map<ObjectKind, ClassList> classes_;  // entries never change once made
    std::recursive_mutex mutex_;
};

} // namespace vtxhost
