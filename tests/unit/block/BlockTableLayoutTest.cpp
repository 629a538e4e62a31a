// The block object's interface tables: their order inside the object, and the slots of the
// main table (IBlock's operations, later the protected operations), read from
// pointers to virtual members as the Itanium C++ ABI represents them.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ProbeBlock.h"

using namespace blocktest;

namespace {

template <class M>
std::ptrdiff_t Slot(M member) {
    struct Representation {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    } r;
    static_assert(sizeof(M) == sizeof(Representation), "Itanium member pointers");
    std::memcpy(&r, &member, sizeof r);
    EXPECT_EQ(r.pointer & 1u, 1u) << "not a virtual operation";
    return static_cast<std::ptrdiff_t>((r.pointer - 1) / sizeof(void*));
}

// Reaches the protected operations' member pointers.
struct Slots : ProbeBlock {
    static std::ptrdiff_t OfInitSignature() { return Slot(&Slots::InitSignature); }
    static std::ptrdiff_t OfCopySignature() { return Slot(&Slots::CopySignature); }
    static std::ptrdiff_t OfRestoreParameterValues() { return Slot(&Slots::RestoreParameterValues); }
    static std::ptrdiff_t OfSetReservedValue() { return Slot(&Slots::SetReservedValue); }
    static std::ptrdiff_t OfFirstDrawing() { return Slot(&Slots::DoGetOptionFlag1); }
    static std::ptrdiff_t OfDrawNCAreas() { return Slot(&Slots::DrawNCAreas); }
    static std::ptrdiff_t OfLastDrawing() { return Slot(&Slots::DoReleaseDrawingResources); }
    static std::ptrdiff_t OfOnInit() { return Slot(&Slots::OnInit); }
    static std::ptrdiff_t OfOnDone() { return Slot(&Slots::OnDone); }
};

class BlockTableLayout : public BlockFixture {};

TEST_F(BlockTableLayout, FiveInterfaceTablesInTheirOrder) {
    IBlock* b = MakeBlock()->AsBlock();
    auto at = [](const void* p) { return reinterpret_cast<std::uintptr_t>(p); };
    EXPECT_EQ(at(static_cast<IObject*>(b)), at(b));
    EXPECT_LT(at(b), at(static_cast<IPropertyContainer*>(b)));
    EXPECT_LT(at(static_cast<IPropertyContainer*>(b)), at(static_cast<IEventSource*>(b)));
    EXPECT_LT(at(static_cast<IEventSource*>(b)), at(static_cast<ICommandTarget*>(b)));
    EXPECT_LT(at(static_cast<ICommandTarget*>(b)), at(static_cast<IAlarmTarget*>(b)));
}

TEST(BlockTableSlots, MainTableHoldsIBlockThenTheProtectedOperationsInOrder) {
    // Three reference-counting and six object operations come first.
    EXPECT_EQ(Slot(&IBlock::InitInstance), 9);
    EXPECT_EQ(Slot(&IBlock::SetParameter), 23);
    EXPECT_EQ(Slot(&IBlock::GetOptionFlag6), 24);
    EXPECT_EQ(Slot(&IBlock::ReleaseDrawingResources), 43);
    // The protected operations follow, consecutive and in declaration order. (The Itanium
    // ABI puts the destructor and the overriders of the secondary tables' operations before
    // them; the secondary tables are reached through their own interface pointers.)
    const std::ptrdiff_t first = Slots::OfInitSignature();
    EXPECT_GT(first, Slot(&IBlock::ReleaseDrawingResources));
    EXPECT_EQ(Slots::OfCopySignature() - first, 3);
    EXPECT_EQ(Slots::OfRestoreParameterValues() - first, 5);
    EXPECT_EQ(Slots::OfSetReservedValue() - first, 11);
    EXPECT_EQ(Slots::OfFirstDrawing() - first, 12);
    EXPECT_EQ(Slots::OfDrawNCAreas() - first, 31);
    EXPECT_EQ(Slots::OfLastDrawing() - first, 32);
    EXPECT_EQ(Slots::OfOnInit() - first, 33);
    EXPECT_EQ(Slots::OfOnDone() - first, 38);
    // The secondary tables.
    EXPECT_EQ(Slot(&IPropertyContainer::RemoveAllProperties), 28);
    EXPECT_EQ(Slot(&IEventSource::SetEventDispatcher), 0);
    EXPECT_EQ(Slot(&ICommandTarget::ExecuteCommand), 0);
    EXPECT_EQ(Slot(&IAlarmTarget::OnAlarmEx), 2);
}

} // namespace
