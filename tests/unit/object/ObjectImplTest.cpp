#include <gtest/gtest.h>

#include "sdk/object/ObjectImpl.h"
#include "sdk/object/SmartPtr.h"

using namespace Vtx;

namespace {

// Just enough of a kernel for the object base: settings and object destruction.
struct SettingsKernel : IKernelServices, IKernelSettings {
    int destroyed = 0;
    std::int32_t DestroyObject(IObject* object) override {
        ++destroyed;
        object->DeleteInstance();
        return 42;
    }
    IDatatype* CreateDatatype(const char*, const char*) override { return nullptr; }
    IDatatypeInitInfo* CreateDatatypeInitInfo(const char*, const char*) override { return nullptr; }
    IBlockSignature* CreateBlockSignature(IBlock*) override { return nullptr; }
    IBlockLayout* CreateBlockLayout(IBlock*) override { return nullptr; }
    IRunTimeContext* CreateRunTimeContext(IBlock*) override { return nullptr; }
    IMessageDispatcher* GetMessageDispatcher() override { return nullptr; }
    IDiagnosticLog* GetDiagnosticLog() override { return nullptr; }
    const char* GetBlockInstanceName(IBlock*) override { return ""; }
    IKernelClock* GetKernelClock() override { return nullptr; }
    bool HasSetting(const char*, const char*) override { return true; }
    bool GetBoolSetting(const char*, const char*) override { return false; }
    std::int64_t GetInt64Setting(const char* section, const char* name) override {
        return std::string(section) == "kernel" && std::string(name) == "abort_timeout" ? 5000 : -1;
    }
};

struct Thing : CObjectImpl<IObject, IObjectClass> {
    using CObjectImpl::CObjectImpl;
    static int live;
    explicit Thing(const OBJECT_CREATIONCTX* context) : CObjectImpl(context) { ++live; }
    ~Thing() override { --live; }
};
int Thing::live = 0;

using ThingPtr = CSmartPtr<IObject, CBlockFactory>;

TEST(ObjectImpl, CreationContextIsCheckedInOrder) {
    SettingsKernel kernel;
    auto message = [](const OBJECT_CREATIONCTX* context) -> std::string {
        try {
            Thing thing(context);
        } catch (ILogicException& e) {
            return e.GetMessageText();
        }
        return "accepted";
    };
    EXPECT_EQ(message(nullptr), "Null pointer to creation context.\n");
    OBJECT_CREATIONCTX context{0, 1033, nullptr, nullptr};
    EXPECT_EQ(message(&context), "Null (zero) object identifier.\n");
    context.objectId = 1;
    EXPECT_EQ(message(&context), "Null pointer to kernel services.\n");
    context.kernelServices = &kernel;
    EXPECT_EQ(message(&context), "accepted");
    context.objectId = std::uint64_t{1} << 32;  // only the high half set
    EXPECT_EQ(message(&context), "accepted");
}

TEST(ObjectImpl, RecordsContextAndDestroysThroughTheKernel) {
    SettingsKernel kernel;
    OBJECT_CREATIONCTX context{0x1234567890ull, 1033, nullptr, &kernel};
    auto* thing = new Thing(&context);
    EXPECT_EQ(thing->GetObjectIdentifier(), 0x1234567890ull);
    EXPECT_EQ(thing->GetKernelServices(), &kernel);
    EXPECT_EQ(thing->GetKernelSettings(), static_cast<IKernelSettings*>(&kernel));
    EXPECT_EQ(thing->GetObjectClass(), nullptr);
    EXPECT_EQ(thing->GetAbortTimeout(), 5000);
    EXPECT_EQ(thing->ReferenceCount(), 0);
    EXPECT_EQ(thing->Destroy(), 42);
    EXPECT_EQ(kernel.destroyed, 1);
    EXPECT_EQ(Thing::live, 0);
}

TEST(SmartPtr, HoldsReleasesAndSurvivesSelfAssignment) {
    SettingsKernel kernel;
    OBJECT_CREATIONCTX context{1, 1033, nullptr, &kernel};
    auto* thing = new Thing(&context);
    {
        ThingPtr first(thing);
        EXPECT_EQ(thing->ReferenceCount(), 1);
        ThingPtr second(first);
        EXPECT_EQ(thing->ReferenceCount(), 2);
        second = second;
        second = thing;
        EXPECT_EQ(thing->ReferenceCount(), 2);
        second = nullptr;
        EXPECT_EQ(thing->ReferenceCount(), 1);
        EXPECT_EQ(first.get(), thing);
    }
    EXPECT_EQ(Thing::live, 0);
}

TEST(SmartPtr, NullRulesAndCreateRefusal) {
    ThingPtr fromZero(0);
    EXPECT_EQ(fromZero.get(), nullptr);
    EXPECT_THROW(ThingPtr(1), ILogicException);
    EXPECT_THROW(fromZero->GetObjectIdentifier(), ILogicException);

    SettingsKernel kernel;
    OBJECT_CREATIONCTX context{1, 1033, nullptr, &kernel};
    ThingPtr held(new Thing(&context));
    struct ThingFactory {
        static IObject* Create(IKernelServices*) { return nullptr; }
    };
    CSmartPtr<IObject, ThingFactory> full(held.get());
    EXPECT_THROW(full.Create(&kernel), ILogicException);
    EXPECT_EQ(full.get(), held.get());
}

} // namespace
