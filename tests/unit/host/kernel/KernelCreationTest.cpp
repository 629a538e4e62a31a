// What the kernel services answer on the creation path without a search: the abort
// timeout every new object reads, and the kernel's datatypes made as datatypes, which a
// class added again under the same identifier still replaces.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/kernel/KernelCatalog.h"
#include "host/kernel/KernelServices.h"
#include "host/kernel/ScalarDatatypes.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/KernelDatatypes.h"

namespace {

using vtxhost::CKernelServices;

TEST(KernelCreation, AbortTimeoutFollowsEverySetter) {
    CKernelServices kernel;
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout"), 5000);
    kernel.SetInt64Setting("kernel", "abort_timeout", 1234);
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout"), 1234);
    EXPECT_TRUE(kernel.GetBoolSetting("kernel", "abort_timeout"));
    kernel.SetBoolSetting("kernel", "abort_timeout", false);
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout"), 0);
    kernel.SetBoolSetting("kernel", "abort_timeout", true);
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout"), 1);
    // Settings of a similar name or another section are their own.
    kernel.SetInt64Setting("kernel", "abort_timeout2", 7);
    kernel.SetInt64Setting("kernel2", "abort_timeout", 8);
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout"), 1);
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout2"), 7);
    EXPECT_EQ(kernel.GetInt64Setting("kernel2", "abort_timeout"), 8);
    EXPECT_EQ(kernel.GetInt64Setting("kernel", nullptr), 0);
    EXPECT_EQ(kernel.GetInt64Setting(nullptr, "abort_timeout"), 0);
}

TEST(KernelCreation, DatatypeClassAddedAgainIsMadeByItsNewFunction) {
    CKernelServices kernel;
    auto* catalog = static_cast<vtxhost::CKernelCatalog*>(kernel.FindCatalog("kernel"));
    EXPECT_NE(dynamic_cast<Vtx::IDouble*>(NewDatatype<Vtx::IDatatype>(kernel, "double").get()), nullptr);
    int made = 0;
    catalog->AddClass(vtxhost::ObjectKind::Datatype, "double", [&made](const Vtx::OBJECT_CREATIONCTX* context) {
        ++made;
        return static_cast<Vtx::IDatatype*>(new vtxhost::CIntImpl(context));
    });
    auto replaced = NewDatatype<Vtx::IDatatype>(kernel, "double");
    EXPECT_EQ(made, 1);
    EXPECT_NE(dynamic_cast<Vtx::IInt*>(replaced.get()), nullptr);
    // The other kernel datatypes keep their own classes.
    EXPECT_NE(dynamic_cast<Vtx::IBool*>(NewDatatype<Vtx::IDatatype>(kernel, "bool").get()), nullptr);
    EXPECT_EQ(made, 1);
}

// A catalog with one datatype class, "value", that counts what it makes.
class ValueCatalog : public vtxhost::CCatalog {
public:
    explicit ValueCatalog(std::string id) : id_(std::move(id)) {}
    const std::string& GetCatalogId() const override { return id_; }
    std::vector<std::string> GetClassIds(vtxhost::ObjectKind kind) override {
        if (kind == vtxhost::ObjectKind::Datatype) return {"value"};
        return {};
    }
    Vtx::IObject* Create(vtxhost::ObjectKind kind, const std::string& classId,
                         const Vtx::OBJECT_CREATIONCTX* context) override {
        if (kind != vtxhost::ObjectKind::Datatype || classId != "value") return nullptr;
        ++made;
        return static_cast<Vtx::IDatatype*>(new vtxhost::CIntImpl(context));
    }
    int made = 0;

private:
    std::string id_;
};

// The identity created last is answered without a search, but only for exactly its texts:
// a prefix, a longer text, another kind or another catalog goes the long way, and a class
// of a removed catalog is not made any more, also when it was the last one created.
TEST(KernelCreation, IdentityCreatedLastMatchesOnlyItself) {
    CKernelServices kernel;
    auto values = std::make_shared<ValueCatalog>("values");
    kernel.AddCatalog(values);
    for (int round = 0; round < 2; ++round) {
        EXPECT_NE(NewDatatype<Vtx::IInt>(kernel, "value", "values").get(), nullptr);
        EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, "valu", "values").get(), nullptr);
        EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, "values", "values").get(), nullptr);
        EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, "value", "value").get(), nullptr);
        EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, "value", "kernel").get(), nullptr);
        EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, "value", nullptr).get(), nullptr);
        EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, nullptr, "values").get(), nullptr);
        EXPECT_NE(NewDatatype<Vtx::IInt>(kernel, "value", "values").get(), nullptr);
        EXPECT_EQ(kernel.CreateBlock("values", "value"), nullptr);  // no block class of that id
        EXPECT_EQ(kernel.CreateBlock(std::string("values"), std::string("value\0x", 7)), nullptr);
        EXPECT_NE(NewDatatype<Vtx::IDouble>(kernel, "double").get(), nullptr);
    }
    EXPECT_EQ(values->made, 4);
    EXPECT_NE(NewDatatype<Vtx::IInt>(kernel, "value", "values").get(), nullptr);
    kernel.RemoveCatalog("values");
    EXPECT_EQ(NewDatatype<Vtx::IDatatype>(kernel, "value", "values").get(), nullptr);
    EXPECT_EQ(values->made, 5);
    // Added again, the catalog's class is made again, by the catalog now loaded.
    auto again = std::make_shared<ValueCatalog>("values");
    kernel.AddCatalog(again);
    EXPECT_NE(NewDatatype<Vtx::IInt>(kernel, "value", "values").get(), nullptr);
    EXPECT_EQ(again->made, 1);
    EXPECT_EQ(values->made, 5);
}

} // namespace
