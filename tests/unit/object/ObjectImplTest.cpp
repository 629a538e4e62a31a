#include <gtest/gtest.h>

#include "sdk/object/ObjectImpl.h"
#include "sdk/object/SmartPtr.h"
#include "sdk/registration/BlockClassImpl.h"
#include "tests/unit/registration/CountingKernel.h"

using namespace Vtx;

namespace {

struct Thing : CObjectImpl<IObject, IObjectClass> {
    static int live;
    explicit Thing(const OBJECT_CREATIONCTX* context) : CObjectImpl(context) { ++live; }
    ~Thing() override { --live; }
};
int Thing::live = 0;

using ThingPtr = CSmartPtr<IObject, CBlockFactory>;

struct BlockThing : CObjectImpl<IObject, IBlockClass> {
    using CObjectImpl::CObjectImpl;
};

// The typed class accessor answers the class as the block class it is, and the object's
// table hands out that same address; the kernel services are the same pointer through a
// const object.
TEST(ObjectImpl, TypedClassAndBothKernelViewsAnswerTheSamePointers) {
    CountingKernel kernel;
    auto* blockClass = new CBlockClassImpl("Probe", nullptr);
    blockClass->AddRef();
    OBJECT_CREATIONCTX context{1, 1033, blockClass, &kernel};
    {
        BlockThing thing(&context);
        IBlockClass* typed = thing.GetTypedObjectClass();
        EXPECT_EQ(typed, static_cast<IBlockClass*>(blockClass));
        IObject& object = thing;
        EXPECT_EQ(static_cast<void*>(object.GetTypedObjectClass()), static_cast<void*>(typed));
        const IObject& constant = thing;
        EXPECT_EQ(constant.GetKernelServices(), object.GetKernelServices());
        EXPECT_EQ(constant.GetKernelServices(), static_cast<IKernelServices*>(&kernel));
    }
    blockClass->Release();
}

TEST(ObjectImpl, CreationContextIsCheckedInOrder) {
    CountingKernel kernel;
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
    EXPECT_EQ(Thing::live, 0);
}

TEST(ObjectImpl, RecordsContextAndDestroysThroughTheKernel) {
    CountingKernel kernel;
    kernel.SetInt64Setting("kernel", "abort_timeout", 1234);
    OBJECT_CREATIONCTX context{0x1234567890ull, 1033, nullptr, &kernel};
    auto* thing = new Thing(&context);
    EXPECT_EQ(thing->GetObjectIdentifier(), 0x1234567890ull);
    EXPECT_EQ(thing->GetKernelServices(), &kernel);
    EXPECT_EQ(thing->GetKernelSettings(), static_cast<IKernelSettings*>(&kernel));
    EXPECT_EQ(thing->GetAbortTimeout(), 1234);
    EXPECT_EQ(kernel.constructed, 1);
    EXPECT_EQ(thing->ReferenceCount(), 0);
    EXPECT_EQ(thing->Destroy(), 0);
    EXPECT_EQ(kernel.destroyed, 1);
    EXPECT_EQ(Thing::live, 0);
}

TEST(SmartPtr, HoldsReleasesSurvivesSelfAssignmentAndRefusesMisuse) {
    CountingKernel kernel;
    OBJECT_CREATIONCTX context = kernel.Context(1033);
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
    }
    EXPECT_EQ(Thing::live, 0);

    // Only the null literal converts, a null pointer is not followed, and Create refuses
    // to replace what the pointer holds.
    ThingPtr fromZero(0);
    EXPECT_EQ(fromZero.get(), nullptr);
    EXPECT_THROW(ThingPtr(1), ILogicException);
    EXPECT_THROW(fromZero->GetObjectIdentifier(), ILogicException);
    ThingPtr held(new Thing(&context));
    struct ThingFactory {
        static IObject* Create(IKernelServices*) { return nullptr; }
    };
    CSmartPtr<IObject, ThingFactory> full(held.get());
    EXPECT_THROW(full.Create(&kernel), ILogicException);
    EXPECT_EQ(full.get(), held.get());
}

} // namespace
