// The block object's interface tables: their order inside the object, and the slots of the
// protected operations after IBlock's in the main table.
#include "ProbeBlock.h"
#include "tests/unit/contract/VirtualSlots.h"

using namespace blocktest;
using contract::Slot;

namespace {

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
    contract::ExpectTablesInOrder("block", b,
                                  {static_cast<IObject*>(b), static_cast<IPropertyContainer*>(b),
                                   static_cast<IEventSource*>(b), static_cast<ICommandTarget*>(b),
                                   static_cast<IAlarmTarget*>(b)});
}

TEST(BlockTableSlots, MainTableHoldsIBlockThenTheProtectedOperationsInOrder) {
    // IBlock's own operations (their slots are checked with the other interfaces' contracts);
    // the protected operations follow, consecutive and in declaration order. (The Itanium
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
}

} // namespace
