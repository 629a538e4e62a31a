// What the host keeps of a module must go with it: the kernel services' creation entries of
// a removed catalog, and the elements a labelled set keeps for reuse. A host that unloads a
// module and loads another (or the same one again) in one process must find nothing of the
// first left behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Fraction.h"
#include "host/KernelServices.h"
#include "host/ModuleOpener.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/Interval.h"
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

} // namespace
