// A module signature whose block class collection lies about its records: a null record,
// or a count it cannot back. The host's catalog refuses it with the reason when it first
// reads the class list, instead of calling through the null or reading past the records.
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "host/modules/ModuleCatalog.h"
#include "module/DllSignature.h"
#include "sdk/object/CollectionInstances.h"

namespace {

class CLyingCollection : public Vtx::CLibraryObjectClassInfoCollectionImpl {
public:
    explicit CLyingCollection(int count) : count_(count) {}
    int GetCount() override { return count_; }
    Vtx::ILibraryObjectClassInfo* GetAt(int) override { return nullptr; }
    Vtx::ILibraryObjectClassInfo* GetItem(int) override { return nullptr; }

private:
    int count_;
};

class CLyingSignature : public Vtx::CDllSignatureImpl {
public:
    explicit CLyingSignature(int count) : blocks_(count) { blocks_.AddRef(); }
    const char* GetCatalogId() override { return "Lying"; }
    Vtx::ILibraryObjectClassInfoCollection* GetBlockClasses() override { return &blocks_; }

private:
    CLyingCollection blocks_;
};

std::string Refusal(int count) {
    CLyingSignature signature(count);
    vtxhost::CModuleCatalog catalog(&signature);
    try {
        catalog.ReadClassLists();
    } catch (const std::runtime_error& e) {
        // Refused once, refused again: the class list is never taken as read.
        EXPECT_THROW(catalog.HasClass(vtxhost::ObjectKind::Block, "Anything"), std::runtime_error);
        return e.what();
    }
    return "accepted";
}

TEST(ModuleCatalogRecords, ANullRecordOrAnImpossibleCountIsRefusedWithTheReason) {
    EXPECT_EQ(Refusal(2), "the module's block class collection holds a null record at index 0");
    EXPECT_EQ(Refusal(INT_MAX), "the module's block class collection claims 2147483647 records, outside 0 to 1000000");
    EXPECT_EQ(Refusal(-1), "the module's block class collection claims -1 records, outside 0 to 1000000");
    EXPECT_EQ(Refusal(0), "accepted");
}

} // namespace
