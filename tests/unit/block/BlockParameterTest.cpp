#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "ProbeBlock.h"
#include "host/kernel/Catalog.h"
#include "host/run/RunTimeContext.h"
#include "sdk/datatype/DatatypeImpl.h"

using namespace blocktest;

namespace {

// A datatype of a catalog other than the kernel's, whose class id is "trigger" as well: a
// counter with a text form.
class CounterDatatype : public CDatatypeImpl<IDatatype> {
public:
    using CDatatypeImpl::CDatatypeImpl;
    char* SerializeString() override {
        const std::string text = std::to_string(value);
        char* copy = static_cast<char*>(std::malloc(text.size() + 1));
        std::memcpy(copy, text.c_str(), text.size() + 1);
        return copy;
    }
    void FreeString(char* text) override { std::free(text); }
    bool UnserializeString(const char* text) override {
        value = text && *text ? std::atoi(text) : 0;
        return true;
    }
    int value = 0;
};

class OtherCatalog : public vtxhost::CCatalog {
public:
    const std::string& GetCatalogId() const override { return id_; }
    std::vector<std::string> GetClassIds(vtxhost::ObjectKind kind) override {
        if (kind == vtxhost::ObjectKind::Datatype) return {"trigger"};
        return {};
    }
    IObject* Create(vtxhost::ObjectKind kind, const std::string& classId, const OBJECT_CREATIONCTX* context) override {
        if (kind != vtxhost::ObjectKind::Datatype || classId != "trigger") return nullptr;
        return new CounterDatatype(context);
    }

private:
    std::string id_ = "other";
};

class BlockParameter : public BlockFixture {
protected:
    BlockParameter() { services.AddCatalog(std::make_shared<OtherCatalog>()); }

    // A block signed by its own InitSignature.
    ProbeBlock* SignedBlock() {
        ProbeBlock* block = MakeBlock();
        block->AsBlock()->InitInstance(nullptr, nullptr, 0);
        return block;
    }
    static IParameterPinSignature* Param(ProbeBlock* block, const char* id) {
        return block->GetSignature()->FindParameter(id);
    }
    static int IntValue(ProbeBlock* block, const char* id) {
        return interface_cast<IInt>(Param(block, id)->GetValue())->GetValue();
    }
    void SetRunning(ProbeBlock* block, bool running) {
        dynamic_cast<vtxhost::CRunTimeContext&>(*block->GetRunTimeContext()).SetPatchRunning(running);
    }
};

TEST_F(BlockParameter, NewValueIsCopiedWithItsTimestampAndAnEqualOneIsTakenAsSet) {
    ProbeBlock* block = SignedBlock();
    IInt* value = MakeInt(7);
    value->SetTimestamp(1234);
    EXPECT_TRUE(block->AsBlock()->SetParameter(Param(block, "gain"), value));
    EXPECT_EQ(IntValue(block, "gain"), 7);
    EXPECT_EQ(Param(block, "gain")->GetValue()->GetTimestamp(), 1234);
    EXPECT_NE(Param(block, "gain")->GetValue(), value);  // copied, not installed
    EXPECT_EQ(block->changing, (std::vector<std::string>{"gain"}));
    EXPECT_EQ(block->changed, (std::vector<std::string>{"gain"}));

    // An equal value is taken as set without calling anything, even when it would be refused.
    block->acceptChanges = false;
    EXPECT_TRUE(block->AsBlock()->SetParameter(Param(block, "gain"), MakeInt(7)));
    EXPECT_EQ(block->changing.size(), 1u);
    // Without comparison the equal value goes through the overridable, which refuses.
    Param(block, "gain")->SetCompareBeforeSet(false);
    EXPECT_FALSE(block->AsBlock()->SetParameter(Param(block, "gain"), MakeInt(7)));
    EXPECT_EQ(block->changing.size(), 2u);
    EXPECT_EQ(block->changed.size(), 1u);
}

TEST_F(BlockParameter, PermissionsDomainAndRefusalLeaveTheValueAlone) {
    ProbeBlock* block = MakeBlock();
    block->declare = [](ProbeBlock& b) {
        b.AddParameter(pin_description("size").set_int_minimum(1, true).set_type("kernel", "int").set_runtime_change(false));
        b.AddParameter(pin_description("fixed").set_type("kernel", "int").set_designtime_change(false));
    };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    EXPECT_FALSE(b->SetParameter(Param(block, "fixed"), MakeInt(3)));
    // Equality is asked before the domain: the current 0 is taken as set, though below it.
    EXPECT_TRUE(b->SetParameter(Param(block, "size"), MakeInt(0)));
    EXPECT_FALSE(b->SetParameter(Param(block, "size"), MakeInt(-1))); // below the domain
    EXPECT_EQ(IntValue(block, "size"), 0);
    EXPECT_TRUE(b->SetParameter(Param(block, "size"), MakeInt(1)));
    SetRunning(block, true);
    EXPECT_FALSE(b->SetParameter(Param(block, "size"), MakeInt(4)));
    EXPECT_TRUE(b->SetParameter(Param(block, "fixed"), MakeInt(3))); // run-time change allowed
    SetRunning(block, false);
    block->acceptChanges = false;
    EXPECT_FALSE(b->SetParameter(Param(block, "size"), MakeInt(4)));
    EXPECT_EQ(IntValue(block, "size"), 1);
    EXPECT_EQ(block->changed, (std::vector<std::string>{"size", "fixed"}));
    EXPECT_FALSE(b->SetParameter(nullptr, MakeInt(1)));
    EXPECT_FALSE(b->SetParameter(Param(block, "size"), nullptr));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BlockParameter, ChangedInitInformationNeedsItsOwnPermissionAndReinitialisesTheValue) {
    ProbeBlock* block = MakeBlock();
    block->declare = [](ProbeBlock& b) {
        b.AddParameter(pin_description("set").set_type("kernel", "labeled_set"));
        b.AddParameter(pin_description("frozen").set_type("kernel", "labeled_set").set_designtime_initinfo_change(false));
    };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    IDatatypeInitInfo* info = services.CreateDatatypeInitInfo("kernel", "labeled_set");
    ASSERT_NE(info, nullptr);
    info->AddRef();
    interface_cast<ILabelledSetInitInfo>(info)->SetElementCatalogId("kernel");
    interface_cast<ILabelledSetInitInfo>(info)->SetElementClassId("int");
    ILabelledSet* typed = Make<ILabelledSet>("labeled_set");
    typed->InitInstance(info);
    info->Release();
    ASSERT_NE(typed->GetInitInfo(), nullptr);

    EXPECT_FALSE(b->SetParameter(Param(block, "frozen"), typed));
    EXPECT_EQ(Param(block, "frozen")->GetValue()->GetInitInfo(), nullptr);
    EXPECT_TRUE(b->SetParameter(Param(block, "set"), typed));
    IDatatypeInitInfo* taken = Param(block, "set")->GetValue()->GetInitInfo();
    ASSERT_NE(taken, nullptr);
    EXPECT_STREQ(interface_cast<ILabelledSetInitInfo>(taken)->GetElementClassId(), "int");
    // Now typed for ints, the set refuses other elements: the init information is in force.
    EXPECT_THROW(interface_cast<ILabelledSet>(Param(block, "set")->GetValue())->AddItem(Make<IDouble>("double"), "x"),
                 IException);
}

TEST_F(BlockParameter, ListenersReplaceTheOverridablesAndSeeAnOldValueCopy) {
    ProbeBlock* block = MakeBlock();
    std::vector<std::string> trail;
    auto value = [](IDatatype* d) { return std::to_string(interface_cast<IInt>(d)->GetValue()); };
    IDatatype *oldObject = nullptr, *currentObject = nullptr;
    bool secondChangingAnswer = true;
    block->declare = [&](ProbeBlock& b) {
        b.AddParameter(pin_description("gain").set_type("kernel", "int"));
        b.AddParameter(pin_description("level")
                           .set_type("kernel", "int")
                           .add_value_changing([&](IDatatype* next, IDatatype* current) {
                               trail.push_back("changing 1: " + value(next) + " over " + value(current));
                               return true;
                           })
                           .add_value_changing([&](IDatatype*, IDatatype*) {
                               trail.push_back("changing 2");
                               return secondChangingAnswer;
                           })
                           .add_value_changed([&](IDatatype* old, IDatatype* current) {
                               trail.push_back("changed: " + value(old) + " to " + value(current));
                               oldObject = old;
                               currentObject = current;
                           }));
    };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    ASSERT_TRUE(b->SetParameter(Param(block, "level"), MakeInt(2)));
    EXPECT_EQ(trail, (std::vector<std::string>{"changing 1: 2 over 0", "changing 2", "changed: 0 to 2"}));
    EXPECT_EQ(currentObject, Param(block, "level")->GetValue());
    EXPECT_NE(oldObject, currentObject);

    // A refusing listener stops the chain and the change.
    trail.clear();
    secondChangingAnswer = false;
    EXPECT_FALSE(b->SetParameter(Param(block, "level"), MakeInt(3)));
    EXPECT_EQ(trail, (std::vector<std::string>{"changing 1: 3 over 2", "changing 2"}));
    EXPECT_EQ(IntValue(block, "level"), 2);

    // While a listener is registered the overridables are not called for any parameter.
    EXPECT_TRUE(b->SetParameter(Param(block, "gain"), MakeInt(9)));
    EXPECT_EQ(IntValue(block, "gain"), 9);
    EXPECT_TRUE(block->changing.empty());
    EXPECT_TRUE(block->changed.empty());

    // Declared again, the parameter keeps one set of listeners.
    trail.clear();
    secondChangingAnswer = true;
    block->declare(*block);
    EXPECT_TRUE(b->SetParameter(Param(block, "level"), MakeInt(4)));
    EXPECT_EQ(trail, (std::vector<std::string>{"changing 1: 4 over 2", "changing 2", "changed: 2 to 4"}));

    // Once the listeners are gone the overridables are back.
    block->RemoveParameterListeners(Param(block, "level"));
    EXPECT_TRUE(block->GetValueChangedListeners().empty());
    EXPECT_TRUE(b->SetParameter(Param(block, "gain"), MakeInt(10)));
    EXPECT_EQ(block->changed, (std::vector<std::string>{"gain"}));
}

TEST_F(BlockParameter, FailedCheckRollsBackKeepingCompatibleValuesButNoKernelTrigger) {
    ProbeBlock* block = MakeBlock();
    block->declare = [](ProbeBlock& b) {
        b.AddParameter(pin_description("gain").set_type("kernel", "int"));
        b.AddParameter(pin_description("fire").set_type("kernel", "trigger"));
        b.AddParameter(pin_description("count").set_type("other", "trigger"));
        b.AddParameter(pin_description("label").set_type("kernel", "string"));
        b.AddParameter(pin_description("extra").set_type("kernel", "int"));
    };
    block->check = [](ProbeBlock& b) { b.GetParameterValue<IInt>("required"); };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    IBlockSignature* own = b->GetSignature();

    // A stored signature: values for gain, fire, count; label has another type; no extra.
    IBlockSignature* stored = services.CreateBlockSignature(b);
    stored->AddRef();
    IBlockLayout* layout = services.CreateBlockLayout(b);
    layout->AddRef();
    auto storedValue = [&](const char* id, const char* catalog, const char* cls) {
        return stored->CreateParameter(id, id, "", catalog, cls, "", "", 0)->GetValue();
    };
    interface_cast<IInt>(storedValue("gain", "kernel", "int"))->SetValue(9);
    interface_cast<ITrigger>(storedValue("fire", "kernel", "trigger"))->Fire();
    dynamic_cast<CounterDatatype*>(storedValue("count", "other", "trigger"))->value = 4;
    interface_cast<IInt>(storedValue("label", "kernel", "int"))->SetValue(1);
    layout->ShowParameter("gain", true);
    block->changed.clear();

    b->InitInstance(stored, layout, 0);
    EXPECT_EQ(block->Calls("CheckSignature"), 1);
    EXPECT_EQ(block->Calls("InitSignature"), 2);
    EXPECT_EQ(b->GetSignature(), own);
    EXPECT_EQ(b->GetLayout(), layout);
    EXPECT_FALSE(layout->IsParameterShown("gain")); // the given layout was cleared
    EXPECT_EQ(IntValue(block, "gain"), 9);
    EXPECT_EQ(dynamic_cast<CounterDatatype*>(Param(block, "count")->GetValue())->value, 4);
    EXPECT_STREQ(interface_cast<IString>(Param(block, "label")->GetValue())->GetValue(), "");
    EXPECT_EQ(interface_cast<ITrigger>(Param(block, "fire")->GetValue())->GetFireCount(), 0);
    EXPECT_EQ(block->changed, (std::vector<std::string>{"gain", "count"}));
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 4);
    EXPECT_EQ(messages[0].text.rfind("Block B1: unhandled exception of type Vtx::IException in method InitInstance; "
                                     "exception message is ",
                                     0),
              0u);
    // The block let go of the rejected signature.
    EXPECT_EQ(stored->Release(), 0);
    layout->Release();
}

// A standard exception in the check of a stored signature rolls back like ours and is
// reported under its own type; the failures of the look-ups read as the message table has them.
TEST_F(BlockParameter, AStandardExceptionInTheCheckRollsBackAndIsReportedAsSuch) {
    ProbeBlock* block = MakeBlock();
    block->check = [](ProbeBlock&) { throw std::out_of_range("stored value out of range"); };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    IBlockSignature* own = b->GetSignature();
    IBlockSignature* stored = services.CreateBlockSignature(b);
    stored->AddRef();
    b->InitInstance(stored, nullptr, 0);
    EXPECT_EQ(b->GetSignature(), own);
    EXPECT_EQ(block->Calls("InitSignature"), 2);
    auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 4);
    EXPECT_EQ(messages[0].text, "Block B1: unhandled exception of type std::exception in method InitInstance; "
                                "exception message is stored value out of range\n");
    EXPECT_EQ(stored->Release(), 0);

    auto messageOf = [](auto call) -> std::string {
        try {
            call();
        } catch (IException& e) {
            return e.GetMessageText();
        }
        return "no error";
    };
    // No layout was given with the stored signature.
    EXPECT_EQ(messageOf([&] { block->GetParameterLayout<IComboDatatypeLayout>("gain"); }),
              "Block layout action is not valid.\n");
    // Not initialised: no clock.
    EXPECT_EQ(messageOf([&] { block->GetInitClockTime(); }),
              "Error while accessing memory.\nPointer 0x" + std::string(2 * sizeof(void*), '0') + " is not valid.\n");
}

TEST_F(BlockParameter, AcceptedStoredSignatureIsKeptWithItsLayoutAndValues) {
    ProbeBlock* block = MakeBlock();
    block->check = [](ProbeBlock& b) { b.GetParameterValue<IInt>("gain"); };
    IBlock* b = block->AsBlock();
    IBlockSignature* stored = services.CreateBlockSignature(b);
    stored->AddRef();
    interface_cast<IInt>(stored->CreateParameter("gain", "gain", "", "kernel", "int", "", "", 0)->GetValue())->SetValue(6);
    IBlockLayout* layout = services.CreateBlockLayout(b);
    layout->AddRef();
    b->InitInstance(stored, layout, 0);
    EXPECT_EQ(b->GetSignature(), stored);
    EXPECT_EQ(b->GetLayout(), layout);
    EXPECT_EQ(block->Calls("InitSignature"), 0);
    EXPECT_EQ(IntValue(block, "gain"), 6);
    EXPECT_TRUE(Messages().empty());
    stored->Release();
    layout->Release();
}

TEST_F(BlockParameter, ParametersAddedWhileRestoringAreRestoredToo) {
    // "items" declares one "item_<i>" parameter per unit, as blocks with a variable number
    // of parameters do; restoring "items" adds parameters whose values are then restored.
    ProbeBlock* block = MakeBlock();
    int grown = 0;
    block->declare = [&grown](ProbeBlock& b) {
        b.AddParameter(pin_description("items").set_type("kernel", "int").add_value_changed(
            [&b, &grown](IDatatype*, IDatatype* current) {
                ++grown;
                const int n = interface_cast<IInt>(current)->GetValue();
                for (int i = 0; i < n; ++i)
                    b.AddParameter(pin_description("item_" + std::to_string(i)).set_type("kernel", "int"));
            }));
    };
    block->check = [](ProbeBlock& b) { b.GetParameterValue<IInt>("missing"); };
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);
    IBlockSignature* stored = services.CreateBlockSignature(b);
    stored->AddRef();
    interface_cast<IInt>(stored->CreateParameter("items", "", "", "kernel", "int", "", "", 0)->GetValue())->SetValue(2);
    interface_cast<IInt>(stored->CreateParameter("item_1", "", "", "kernel", "int", "", "", 0)->GetValue())->SetValue(8);

    b->InitInstance(stored, nullptr, 0);
    EXPECT_EQ(IntValue(block, "items"), 2);
    ASSERT_NE(Param(block, "item_1"), nullptr);
    EXPECT_EQ(IntValue(block, "item_1"), 8);
    EXPECT_EQ(IntValue(block, "item_0"), 0);
    // The listeners of the cleared signature were dropped: the rebuilt one has one entry.
    EXPECT_EQ(grown, 1);
    ASSERT_EQ(block->GetValueChangedListeners().size(), 1u);
    EXPECT_EQ(block->GetValueChangedListeners().begin()->first, Param(block, "items"));
    EXPECT_EQ(block->GetValueChangedListeners().begin()->second.size(), 1u);
    EXPECT_EQ(stored->Release(), 0);

    // DoneInstance forgets them as well.
    b->DoneInstance();
    EXPECT_TRUE(block->GetValueChangedListeners().empty());
}

TEST_F(BlockParameter, ParameterCommandsRunSetParameterAndRefusalsSendNoMessage) {
    ProbeBlock* block = SignedBlock();
    struct SetCommand : ISetParamCommand {
        IParameterPinSignature* parameter;
        IDatatype* value;
        std::int32_t GetCommandKind() override { return kCommandSetParameter; }
        IParameterPinSignature* GetParameter() override { return parameter; }
        IDatatype* GetNewValue() override { return value; }
    };
    SetCommand command;
    command.parameter = Param(block, "gain");
    command.value = MakeInt(12);
    EXPECT_TRUE(block->AsBlock()->ExecuteCommand(&command));
    EXPECT_EQ(IntValue(block, "gain"), 12);
    block->acceptChanges = false;
    command.value = MakeInt(13);
    EXPECT_FALSE(block->AsBlock()->ExecuteCommand(&command));
    EXPECT_EQ(IntValue(block, "gain"), 12);
    EXPECT_TRUE(Messages().empty());
}

} // namespace
