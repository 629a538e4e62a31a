// The block object's interface tables: their order inside the object, and the slots of the
// protected operations after IBlock's in the main table.
#include "ProbeBlock.h"
#include "tests/unit/contract/VirtualSlots.h"

using namespace blocktest;
using contract::Slot;

namespace {

// Reaches the protected operations' member pointers (through the base, where no block
// hides an overload).
struct Slots : CBlockImplBase<IBlock> {
    template <class M>
    static contract::Operation Op(const char* name, M member) {
        return contract::Op(name, member);
    }
    using S = Slots;
    // Every protected operation after the destructor, in its place.
    static contract::Operations Protected() {
        return {Op("InitSignature", &S::InitSignature),
                Op("DoneSignature", &S::DoneSignature),
                Op("CheckSignature", &S::CheckSignature),
                Op("PassExtra", &S::PassExtra),
                Op("RestoreParameterValues", &S::RestoreParameterValues),
                Op("OnChangingParameter(id, new value)",
                   static_cast<bool (S::*)(const std::string&, IDatatype*)>(&S::OnChangingParameter)),
                Op("OnChangingParameter(parameter, new value)",
                   static_cast<bool (S::*)(IParameterPinSignature*, IDatatype*)>(&S::OnChangingParameter)),
                Op("OnChangedParameter(id)", static_cast<void (S::*)(const std::string&)>(&S::OnChangedParameter)),
                Op("OnChangedParameter(parameter)",
                   static_cast<void (S::*)(IParameterPinSignature*)>(&S::OnChangedParameter)),
                Op("GetReservedValue (no arguments)", &S::GetReservedValue),
                Op("SetReservedValue (one argument)", &S::SetReservedValue),
                // The drawing and option family, twenty-one in their order.
                Op("DoGetOptionFlag1", &S::DoGetOptionFlag1),
                Op("DoHasOwnerDrawnArea", &S::DoHasOwnerDrawnArea),
                Op("DoGetOptionFlag3", &S::DoGetOptionFlag3),
                Op("DoCreateOwnerDrawnWindow", &S::DoCreateOwnerDrawnWindow),
                Op("DoDestroyOwnerDrawnWindow", &S::DoDestroyOwnerDrawnWindow),
                Op("DoGetOptionFlag4", &S::DoGetOptionFlag4),
                Op("DoGetOptionFlag5", &S::DoGetOptionFlag5),
                Op("DoCreatePropertyWindow", &S::DoCreatePropertyWindow),
                Op("DoDestroyPropertyWindow", &S::DoDestroyPropertyWindow),
                Op("DoGetOptionFlag6", &S::DoGetOptionFlag6),
                Op("DoGetOptionFlag7", &S::DoGetOptionFlag7),
                Op("DoGetOwnerDrawnSize", &S::DoGetOwnerDrawnSize),
                Op("DoGetDrawingValue1", &S::DoGetDrawingValue1),
                Op("DoGetDrawingValue2", &S::DoGetDrawingValue2),
                Op("DoGetBackgroundColour", &S::DoGetBackgroundColour),
                Op("DoDrawingEvent", &S::DoDrawingEvent),
                Op("DoDrawingEventEx", &S::DoDrawingEventEx),
                Op("DoBackgroundChanged", &S::DoBackgroundChanged),
                Op("DoAreasChanged", &S::DoAreasChanged),
                Op("DrawNCAreas", &S::DrawNCAreas),
                Op("DoReleaseDrawingResources", &S::DoReleaseDrawingResources),
                // The lifecycle.
                Op("OnInit", &S::OnInit),
                Op("OnCheck", &S::OnCheck),
                Op("OnStart", &S::OnStart),
                Op("OnExecute", &S::OnExecute),
                Op("OnStop", &S::OnStop),
                Op("OnDone", &S::OnDone),
                Op("(end of the table)", &contract::EndProbe<S>::EndOfTable)};
    }
};

class BlockTableLayout : public BlockFixture {};

TEST_F(BlockTableLayout, FiveInterfaceTablesInTheirOrder) {
    IBlock* b = MakeBlock()->AsBlock();
    contract::ExpectTablesInOrder("block", b,
                                  {static_cast<IObject*>(b), static_cast<IPropertyContainer*>(b),
                                   static_cast<IEventSource*>(b), static_cast<ICommandTarget*>(b),
                                   static_cast<IAlarmTarget*>(b)});
}

TEST(BlockTableSlots, MainTableHoldsIBlockThenTheDestructorThenEveryProtectedOperationInOrder) {
    // IBlock's own operations are checked with the other interfaces' contracts. The
    // destructor follows them (with the overriders of the secondary tables' operations, which
    // the Itanium ABI also puts there; those tables are reached through their own interface
    // pointers), then the thirty-eight protected operations, consecutive and in their order,
    // and nothing after them.
    contract::Operations operations = Slots::Protected();
    const std::ptrdiff_t first = operations.front().slot;
    EXPECT_GT(first, Slot(&IBlock::ReleaseDrawingResources) + 2) << "the destructor comes before the protected operations";
    for (auto& op : operations) op.slot -= first;
    contract::ExpectTable("CBlockImplBase (protected, from InitSignature)", operations);
}

} // namespace
