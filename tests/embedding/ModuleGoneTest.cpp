// What the host keeps of a module must go with it: the kernel services' creation entries of
// a removed catalog, and the elements a labelled set keeps for reuse. A host that unloads a
// module and loads another (or the same one again) in one process must find nothing of the
// first left behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Fraction.h"
#include "host/kernel/KernelDatatypes.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/Interval.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/ObjectClass.h"

namespace {

const std::string kBrennick = VTX_MODULE_PATH;
const std::string kSdkExample = SDK_EXAMPLE_MODULE_PATH;

std::string ClassIdOf(Vtx::IObject* object) {
    Vtx::IObjectClass* objectClass = object ? object->GetObjectClass() : nullptr;
    const char* id = objectClass ? objectClass->GetClassId() : nullptr;
    return id ? id : "";
}

TEST(CatalogRemoved, CreationAfterwardsFindsTheCatalogsThatAreThere) {
    vtxhost::CKernelServices kernel;
    auto module = vtxhost::OpenModuleCatalog(kernel, kSdkExample);
    {
        Held<IFraction> fraction(kernel.CreateDatatype(kFractionCatalogId, kFractionClassId));
        ASSERT_NE(fraction.get(), nullptr);
    }
    module.reset();
    // The entry resolved last was the removed catalog's.
    EXPECT_EQ(kernel.CreateDatatype(kFractionCatalogId, kFractionClassId), nullptr);

    module = vtxhost::OpenModuleCatalog(kernel, kBrennick);
    {
        Held<IInterval> interval(kernel.CreateDatatype(kIntervalCatalogId, kIntervalClassId));
        ASSERT_NE(interval.get(), nullptr);
        EXPECT_EQ(ClassIdOf(interval), "Interval");
    }
    module.reset();

    // The same module again, the same class: created by the new catalog, not the old entry.
    for (int reload = 0; reload < 2; ++reload) {
        module = vtxhost::OpenModuleCatalog(kernel, kSdkExample);
        {
            Held<IFraction> fraction(kernel.CreateDatatype(kFractionCatalogId, kFractionClassId));
            ASSERT_NE(fraction.get(), nullptr);
            EXPECT_EQ(ClassIdOf(fraction), "Fraction");
            ASSERT_TRUE(fraction->SetValue(6, 8));
            EXPECT_EQ(fraction->GetDenominator(), 4);
        }
        module.reset();
    }
}

struct KeptElements : ::testing::Test {
    vtxhost::CKernelServices kernel;
    std::shared_ptr<void> module = vtxhost::OpenModuleCatalog(kernel, kBrennick);
    Held<Vtx::ILabelledSet> set = NewDatatype<Vtx::ILabelledSet>(kernel, "labeled_set");

    void TypeByIntervals() {
        Held<Vtx::ILabelledSetInitInfo> typing(kernel.CreateDatatypeInitInfo("kernel", "labeled_set"));
        typing->SetElementCatalogId(kIntervalCatalogId);
        typing->SetElementClassId(kIntervalClassId);
        set->InitInstance(typing);
    }
    void Fill(int count) {
        Held<IInterval> value(kernel.CreateDatatype(kIntervalCatalogId, kIntervalClassId));
        for (int i = 0; i < count; ++i) {
            value->SetLower(i);
            value->SetUpper(i + 1);
            set->AddItem(value, ("item" + std::to_string(i)).c_str());
        }
    }
    std::size_t Kept() { return dynamic_cast<vtxhost::CLabelledSetImpl*>(set.get())->KeptCount(); }
};

// The set outlives the module of the elements it kept from its cleared items: releasing it
// afterwards must not reach into the unloaded module.
TEST_F(KeptElements, GoWithTheirModuleBeforeItIsUnloaded) {
    TypeByIntervals();
    Fill(3);
    set->ClearItems();
    EXPECT_EQ(set->GetItemCount(), 0);
    module.reset();
    EXPECT_EQ(Kept(), 0u);
    EXPECT_STREQ(set->GetElementClassId(), kIntervalClassId);
    // The module back: the set fills again with elements of the new catalog.
    module = vtxhost::OpenModuleCatalog(kernel, kBrennick);
    Fill(2);
    ASSERT_EQ(set->GetItemCount(), 2);
    EXPECT_EQ(dynamic_cast<IInterval*>(set->GetItem(1))->GetUpper(), 2.0);
    set->ClearItems();
    module.reset();  // the fixture releases the set afterwards
}

// An untyped set keeps elements of any catalog: only the removed catalog's go.
TEST_F(KeptElements, OfAnotherCatalogStay) {
    Held<Vtx::IDouble> number = NewDatatype<Vtx::IDouble>(kernel, "double");
    set->AddItem(number, "n");
    set->AddItem(number, "m");
    set->ClearItems();
    ASSERT_EQ(Kept(), 2u);
    module.reset();
    EXPECT_EQ(Kept(), 2u);
}

TEST_F(KeptElements, AreNoMoreThanTheItemsLastCleared) {
    TypeByIntervals();
    Fill(50);
    set->ClearItems();
    EXPECT_EQ(Kept(), 50u);
    Fill(3);
    set->ClearItems();
    EXPECT_EQ(Kept(), 3u);
    // An item someone else still holds is not kept (it is theirs); the element kept from
    // before takes its place.
    Fill(2);
    EXPECT_EQ(Kept(), 1u);
    Vtx::IDatatype* held = set->GetItem(0);
    held->AddRef();
    set->ClearItems();
    EXPECT_EQ(Kept(), 2u);
    held->Release();
    // Emptying an empty set gives back everything it kept.
    set->ClearItems();
    EXPECT_EQ(Kept(), 0u);
}

} // namespace
