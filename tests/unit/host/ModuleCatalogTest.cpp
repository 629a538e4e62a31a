#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/KernelDatatypeBase.h"
#include "host/KernelServices.h"
#include "host/ModuleCatalog.h"
#include "module/SignatureList.h"
#include "vtx/Interval.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;
using vtxhost::CKernelServices;

namespace {

// The catalog built into this test binary, reached through its module signature as a host
// reaches a loaded module's.
struct ModuleCatalogTest : ::testing::Test {
    CKernelServices kernel;
    void SetUp() override {
        ResetSignatureBuild();
        BuildSignatures(1033);
        kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(ChooseSignature(1033)));
    }
    void TearDown() override { ResetSignatureBuild(); }
};

TEST_F(ModuleCatalogTest, DatatypesOfTheModuleAreCreatedByClassIdentity) {
    ASSERT_NE(kernel.FindCatalog("Brennick2010"), nullptr);
    EXPECT_TRUE(kernel.FindCatalog("Brennick2010")->HasClass(vtxhost::ObjectKind::Datatype, "Interval"));
    IDatatype* interval = kernel.CreateDatatype("Brennick2010", "Interval");
    ASSERT_NE(interval, nullptr);
    interval->AddRef();
    EXPECT_EQ(vtxhost::CatalogIdOf(interval), "Brennick2010");
    EXPECT_EQ(vtxhost::ClassIdOf(interval), "Interval");
    EXPECT_NE(dynamic_cast<IInterval*>(interval), nullptr);
    EXPECT_EQ(kernel.CreateDatatype("Brennick2010", "NoSuchThing"), nullptr);
    interval->Release();
}

TEST_F(ModuleCatalogTest, ALabelledSetTypedByTheModuleHoldsCopiesOfItsIntervals) {
    IDatatype* setObject = kernel.CreateDatatype("kernel", "labeled_set");
    setObject->AddRef();
    auto* set = dynamic_cast<ILabelledSet*>(setObject);
    IDatatypeInitInfo* info = kernel.CreateDatatypeInitInfo("kernel", "labeled_set");
    info->AddRef();
    auto* typing = dynamic_cast<ILabelledSetInitInfo*>(info);
    typing->SetElementCatalogId("Brennick2010");
    typing->SetElementClassId("Interval");
    set->InitInstance(typing);
    info->Release();

    IDatatype* intervalObject = kernel.CreateDatatype("Brennick2010", "Interval");
    intervalObject->AddRef();
    auto* interval = dynamic_cast<IInterval*>(intervalObject);
    interval->SetLower(5.0);
    interval->SetUpper(1.0);
    set->AddItem(interval, "x");
    interval->SetLower(-1.0);
    interval->SetUpper(2.5);
    set->AddItem(interval, "y");
    ASSERT_EQ(set->GetItemCount(), 2);
    EXPECT_EQ(dynamic_cast<IInterval*>(set->GetItem(0))->GetLower(), 5.0);
    EXPECT_EQ(dynamic_cast<IInterval*>(set->GetItem(1))->GetUpper(), 2.5);

    IDatatype* copyObject = kernel.CreateDatatype("kernel", "labeled_set");
    copyObject->AddRef();
    {
        ProducedText text(set);
        ASSERT_TRUE(text);
        ASSERT_TRUE(copyObject->UnserializeString(text.get())) << text.get();
    }
    EXPECT_TRUE(copyObject->IsEqual(set));
    EXPECT_STREQ(dynamic_cast<ILabelledSet*>(copyObject)->GetElementCatalogId(), "Brennick2010");

    IDatatype* number = kernel.CreateDatatype("kernel", "double");
    number->AddRef();
    EXPECT_THROW(set->AddItem(number, "z"), ILogicException);
    number->Release();
    copyObject->Release();
    intervalObject->Release();
    setObject->Release();
}

} // namespace
