#include <gtest/gtest.h>

#include <memory>

#include "host/kernel/KernelDatatypeBase.h"
#include "host/modules/ModuleCatalog.h"
#include "module/SignatureList.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/Interval.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;

namespace {

// The catalog built into this test binary, reached through its module signature as a host
// reaches a loaded module's.
struct ModuleCatalogTest : ::testing::Test {
    vtxhost::CKernelServices kernel;
    void SetUp() override {
        ResetSignatureBuild();
        BuildSignatures(1033);
        kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(ChooseSignature(1033)));
    }
    void TearDown() override { ResetSignatureBuild(); }
};

// The kernel creates the module's datatypes by class identity, and a set typed by one
// loads its text form back with new objects of that class.
TEST_F(ModuleCatalogTest, ALabelledSetTypedByTheModuleLoadsItsIntervalsBack) {
    auto interval = NewDatatype<IInterval>(kernel, "Interval", "Brennick2010");
    ASSERT_NE(interval.get(), nullptr);
    EXPECT_EQ(vtxhost::ClassIdOf(interval), "Interval");
    EXPECT_EQ(kernel.CreateDatatype("Brennick2010", "NoSuchThing"), nullptr);

    auto set = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    {
        Held<ILabelledSetInitInfo> typing(kernel.CreateDatatypeInitInfo("kernel", "labeled_set"));
        typing->SetElementCatalogId("Brennick2010");
        typing->SetElementClassId("Interval");
        set->InitInstance(typing);
    }
    interval->SetLower(5.0);
    set->AddItem(interval, "x");
    auto copy = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(copy->UnserializeString(TextOf(set).c_str())) << TextOf(set);
    EXPECT_TRUE(copy->IsEqual(set));
    EXPECT_STREQ(copy->GetElementCatalogId(), "Brennick2010");
    EXPECT_EQ(dynamic_cast<IInterval*>(copy->GetItem(0))->GetLower(), 5.0);
}

} // namespace
