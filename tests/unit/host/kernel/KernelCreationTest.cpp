// What the kernel services answer on the creation path without a search: the abort
// timeout every new object reads, and the kernel's datatypes made as datatypes, which a
// class added again under the same identifier still replaces.
#include <gtest/gtest.h>

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

} // namespace
