// The labelled-set interval generator, made through the module signature in the reference
// host: its signature, the per-item parameters that follow "num_items", the set it builds on
// each activation, stored signatures, and what it does when the kernel withholds an object.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/unit/catalog/CatalogHost.h"
#include "vtx/Domain.h"
#include "vtx/EventSource.h"

namespace catalogtest {
namespace {

using Vtx::IBlock;

constexpr const char* kGenerator = "LabelledSetIntervalGenerator";

class Generator : public CatalogFixture {
protected:
    IBlock* MakeGenerator(const char* name = "gen") { return MakeSignedBlock(kGenerator, name); }

    // Gives item i its label and bounds.
    void SetItem(IBlock* block, int i, const std::string& label, const std::string& lower, const std::string& upper) {
        const std::string n = std::to_string(i);
        ASSERT_TRUE(Set(block, ("label_" + n).c_str(), label));
        ASSERT_TRUE(Set(block, ("min_" + n).c_str(), lower));
        ASSERT_TRUE(Set(block, ("max_" + n).c_str(), upper));
    }

    static Vtx::ILabelledSet* Output(IBlock* block) {
        return Vtx::interface_cast<Vtx::ILabelledSet>(block->GetSignature()->FindOutputPin("output")->GetDatatype());
    }

    // The set's items as (label, "lower,upper").
    static std::vector<std::pair<std::string, std::string>> Items(IBlock* block) {
        std::vector<std::pair<std::string, std::string>> items;
        Vtx::ILabelledSet* set = Output(block);
        for (std::int32_t i = 0; i < set->GetItemCount(); ++i) {
            auto* interval = Vtx::interface_cast<IInterval>(set->GetItem(i));
            items.emplace_back(set->GetItemLabel(i),
                               std::to_string(interval->GetLower()) + "," + std::to_string(interval->GetUpper()));
        }
        return items;
    }

    bool Init(IBlock* block) { return block->Init(&clock, &clock, 0, 0); }
};

using ItemList = std::vector<std::pair<std::string, std::string>>;

TEST_F(Generator, OwnSignatureHasTheOutputTheCountAndItemZero) {
    IBlock* block = MakeGenerator();
    Vtx::IBlockSignature* signature = block->GetSignature();

    ASSERT_EQ(signature->GetOutputPins()->GetCount(), 1);
    EXPECT_EQ(signature->GetInputPins()->GetCount(), 0);
    Vtx::IOutputPin* output = signature->GetOutputPins()->GetAt(0);
    EXPECT_STREQ(output->GetId(), "output");
    EXPECT_STREQ(output->GetName(), "output");
    EXPECT_STREQ(output->GetDescription(), "The generated labelled set of intervals");
    EXPECT_STREQ(output->GetTypeCatalogId(), "kernel");
    EXPECT_STREQ(output->GetTypeClassId(), "labeled_set");

    EXPECT_EQ(ParameterIds(signature), (std::vector<std::string>{"num_items", "label_0", "min_0", "max_0"}));
    // The output pin is declared before the count, and the count before its items.
    EXPECT_EQ(kernel.journal, (std::vector<std::string>{"declare num_items", "declare label_0", "declare min_0",
                                                         "declare max_0"}));

    Vtx::IParameterPinSignature* count = signature->FindParameter("num_items");
    EXPECT_STREQ(count->GetName(), "Number of items");
    EXPECT_STREQ(count->GetDescription(), "Maximum number of items added to the output labelled set");
    EXPECT_STREQ(count->GetTypeClassId(), "int");
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "num_items")->GetValue(), 1);
    EXPECT_TRUE(count->GetChangeableAtDesignTime());
    EXPECT_FALSE(count->GetChangeableAtRunTime());
    EXPECT_STREQ(count->GetDomainClassId(), "int-domain");
    auto* domain = Vtx::interface_cast<Vtx::IIntDomain>(count->GetDomain());
    EXPECT_EQ(domain->GetMinimum(), 0);
    EXPECT_EQ(domain->GetMinimumKind(), Vtx::kBoundInclusive);
    EXPECT_EQ(domain->GetMaximumKind(), Vtx::kBoundNone);

    const struct {
        const char* id;
        const char* name;
        const char* description;
        const char* type;
    } items[] = {{"label_0", "Label 0", "Label of item 0", "string"},
                 {"min_0", "Min 0", "Lower bound of interval 0", "double"},
                 {"max_0", "Max 0", "Upper bound of interval 0", "double"}};
    for (const auto& item : items) {
        Vtx::IParameterPinSignature* parameter = signature->FindParameter(item.id);
        EXPECT_STREQ(parameter->GetName(), item.name);
        EXPECT_STREQ(parameter->GetDescription(), item.description);
        EXPECT_STREQ(parameter->GetTypeCatalogId(), "kernel");
        EXPECT_STREQ(parameter->GetTypeClassId(), item.type);
        EXPECT_EQ(parameter->GetDomain(), nullptr);
        EXPECT_TRUE(parameter->GetChangeableAtRunTime());
    }
}

TEST_F(Generator, ItemCountDeclaresAndRemovesItemsInOrder) {
    IBlock* block = MakeGenerator();
    SetItem(block, 0, "first", "1", "2");
    kernel.journal.clear();
    const std::size_t changes = kernel.Dispatcher().SignatureChangeCount();

    ASSERT_TRUE(Set(block, "num_items", "3"));
    EXPECT_EQ(kernel.journal,
              (std::vector<std::string>{"declare label_0", "declare min_0", "declare max_0", "declare label_1",
                                        "declare min_1", "declare max_1", "declare label_2", "declare min_2",
                                        "declare max_2"}));
    EXPECT_EQ(ParameterIds(block->GetSignature()),
              (std::vector<std::string>{"num_items", "label_0", "min_0", "max_0", "label_1", "min_1", "max_1",
                                        "label_2", "min_2", "max_2"}));
    // Item 0, declared again, kept its value.
    EXPECT_STREQ(ParameterValue<Vtx::IString>(block, "label_0")->GetValue(), "first");
    EXPECT_EQ(kernel.Dispatcher().SignatureChangeCount(), changes + 1);

    kernel.journal.clear();
    ASSERT_TRUE(Set(block, "num_items", "1"));
    EXPECT_EQ(kernel.journal, (std::vector<std::string>{"declare label_0", "declare min_0", "declare max_0",
                                                         "remove label_1", "remove min_1", "remove max_1",
                                                         "remove label_2", "remove min_2", "remove max_2"}));
    EXPECT_EQ(ParameterIds(block->GetSignature()),
              (std::vector<std::string>{"num_items", "label_0", "min_0", "max_0"}));

    kernel.journal.clear();
    ASSERT_TRUE(Set(block, "num_items", "0"));
    EXPECT_EQ(kernel.journal, (std::vector<std::string>{"remove label_0", "remove min_0", "remove max_0"}));
    EXPECT_EQ(ParameterIds(block->GetSignature()), (std::vector<std::string>{"num_items"}));
    EXPECT_EQ(kernel.Dispatcher().SignatureChangeCount(), changes + 3);

    // The domain keeps the count at zero or more.
    EXPECT_FALSE(Set(block, "num_items", "-1"));
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "num_items")->GetValue(), 0);
}

TEST_F(Generator, ItemTenHasTwoDigitIds) {
    IBlock* block = MakeGenerator();
    ASSERT_TRUE(Set(block, "num_items", "11"));
    Vtx::IBlockSignature* signature = block->GetSignature();
    EXPECT_STREQ(signature->FindParameter("label_10")->GetName(), "Label 10");
    EXPECT_STREQ(signature->FindParameter("min_10")->GetDescription(), "Lower bound of interval 10");
    EXPECT_STREQ(signature->FindParameter("max_10")->GetName(), "Max 10");
    EXPECT_EQ(signature->GetParameters()->GetCount(), 1 + 3 * 11);
    EXPECT_EQ(signature->GetParameters()->IndexOf("label_010"), -1);
}

TEST_F(Generator, TheCountCannotChangeWhileThePatchRuns) {
    IBlock* block = MakeGenerator();
    SetRunning(block, true);
    EXPECT_FALSE(Set(block, "num_items", "2"));
    EXPECT_TRUE(Set(block, "label_0", "still changeable"));
    SetRunning(block, false);
    EXPECT_EQ(ParameterIds(block->GetSignature()).size(), 4u);
}

TEST_F(Generator, InitAsksForPeriodicActivationAndTypesTheSet) {
    IBlock* block = MakeGenerator();
    ASSERT_TRUE(Init(block));
    Vtx::IRunTimeContext* context = block->GetRunTimeContext();
    EXPECT_TRUE(context->GetPeriodicActivation());
    EXPECT_TRUE(context->GetPeriodicActivationSettings()->GetEnabled());
    EXPECT_EQ(context->GetPeriodicActivationSettings()->GetPeriod(), 400000);
    EXPECT_STREQ(Output(block)->GetElementCatalogId(), "Brennick2010");
    EXPECT_STREQ(Output(block)->GetElementClassId(), "Interval");
    // The typed set refuses anything but Intervals.
    auto* number = Make<Vtx::IDouble>("kernel", "double");
    EXPECT_THROW(Output(block)->AddItem(number, "n"), Vtx::IException);
}

TEST_F(Generator, ExecuteAddsLabelledItemsInOrderAndStampsTheKernelTime) {
    IBlock* block = MakeGenerator();
    ASSERT_TRUE(Set(block, "num_items", "3"));
    SetItem(block, 0, "a", "0.5", "1.5");
    SetItem(block, 1, "", "7", "8");  // no label: left out
    SetItem(block, 2, "x", "5", "1");  // lower above upper: kept as it is
    ASSERT_TRUE(Init(block));
    clock.now = 123456789;
    ASSERT_TRUE(block->Start());
    ASSERT_TRUE(block->Execute(0));

    EXPECT_EQ(Items(block), (ItemList{{"a", "0.500000,1.500000"}, {"x", "5.000000,1.000000"}}));
    EXPECT_EQ(Output(block)->GetTimestamp(), 123456789);
    EXPECT_TRUE(MessagesOf(block, Vtx::kMessageErrorInMethod).empty());
}

TEST_F(Generator, ExecuteEmptiesTheSetFirst) {
    IBlock* block = MakeGenerator();
    ASSERT_TRUE(Set(block, "num_items", "2"));
    SetItem(block, 0, "a", "0", "1");
    SetItem(block, 1, "b", "2", "3");
    ASSERT_TRUE(Init(block));
    ASSERT_TRUE(block->Execute(0));
    ASSERT_EQ(Items(block).size(), 2u);

    // A label emptied while running: the item is gone from the next set, not added twice.
    ASSERT_TRUE(Set(block, "label_0", ""));
    ASSERT_TRUE(Set(block, "max_1", "4"));
    clock.now = 2000;
    ASSERT_TRUE(block->Execute(0));
    EXPECT_EQ(Items(block), (ItemList{{"b", "2.000000,4.000000"}}));
    EXPECT_EQ(Output(block)->GetTimestamp(), 2000);
}

TEST_F(Generator, NoItemsGiveAnEmptySetWithANewTimestamp) {
    IBlock* block = MakeGenerator();
    SetItem(block, 0, "a", "0", "1");
    ASSERT_TRUE(Set(block, "num_items", "0"));
    ASSERT_TRUE(Init(block));
    clock.now = 77;
    ASSERT_TRUE(block->Execute(0));
    EXPECT_EQ(Output(block)->GetItemCount(), 0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 77);
}

TEST_F(Generator, WithoutIntervalsALabelledItemFailsTheActivationVisibly) {
    IBlock* block = MakeGenerator();
    SetItem(block, 0, "a", "0", "1");
    ASSERT_TRUE(Init(block));
    clock.now = 50;
    ASSERT_TRUE(block->Execute(0));
    kernel.refuseIntervals = true;
    clock.now = 60;

    EXPECT_FALSE(block->Execute(0));
    // The set is empty and keeps the old timestamp, so no half-built set is delivered.
    EXPECT_EQ(Output(block)->GetItemCount(), 0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 50);
    EXPECT_EQ(MessagesOf(block, Vtx::kMessageErrorInMethod),
              (std::vector<std::string>{"Block gen: error in method Execute\n"}));

    // Without a labelled item no Interval is needed.
    ASSERT_TRUE(Set(block, "label_0", ""));
    EXPECT_TRUE(block->Execute(0));
    EXPECT_EQ(Output(block)->GetTimestamp(), 60);
}

TEST_F(Generator, WithoutInitInformationInitFailsAndTheSetStaysUntyped) {
    IBlock* block = MakeGenerator();
    kernel.refuseInitInfo = true;
    EXPECT_FALSE(Init(block));
    EXPECT_EQ(MessagesOf(block, Vtx::kMessageErrorInMethod),
              (std::vector<std::string>{"Block gen: error in method Init\n"}));
    EXPECT_STREQ(Output(block)->GetElementClassId(), "");
}

TEST_F(Generator, DoneReleasesTheSetAndDoneInstanceTheParameters) {
    IBlock* block = MakeGenerator();
    SetItem(block, 0, "a", "0", "1");
    ASSERT_TRUE(Init(block));
    block->Done();
    // Without its set Execute fails and says so.
    EXPECT_FALSE(block->Execute(0));
    block->DoneInstance();
    EXPECT_EQ(block->GetSignature()->GetParameters()->GetCount(), 0);
    // A new signature after DoneInstance starts from one item again.
    block->InitInstance(nullptr, nullptr, 0);
    EXPECT_EQ(ParameterIds(block->GetSignature()),
              (std::vector<std::string>{"num_items", "label_0", "min_0", "max_0"}));
}

TEST_F(Generator, StoredSignatureIsCheckedAndKeepsItsValues) {
    IBlock* original = MakeGenerator("original");
    ASSERT_TRUE(Set(original, "num_items", "2"));
    SetItem(original, 0, "a", "1", "2");
    SetItem(original, 1, "b", "3", "4");
    Held<Vtx::IBlockSignature> stored(original->GetSignature());

    IBlock* copy = MakeBlock(kGenerator, "copy");
    kernel.journal.clear();
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), stored.get());
    EXPECT_TRUE(kernel.journal.empty());  // nothing declared: the stored signature was taken
    EXPECT_TRUE(MessagesOf(copy, Vtx::kMessageUnhandledException).empty());

    ASSERT_TRUE(Init(copy));
    ASSERT_TRUE(copy->Execute(0));
    EXPECT_EQ(Items(copy), (ItemList{{"a", "1.000000,2.000000"}, {"b", "3.000000,4.000000"}}));
}

TEST_F(Generator, StoredSignatureWithoutAnItemParameterFallsBackToItsOwn) {
    IBlock* original = MakeGenerator("original");
    ASSERT_TRUE(Set(original, "num_items", "2"));
    SetItem(original, 0, "a", "1", "2");
    SetItem(original, 1, "b", "3", "4");
    Held<Vtx::IBlockSignature> stored(original->GetSignature());
    ASSERT_NE(stored->RemoveParameter("max_1"), nullptr);

    IBlock* copy = MakeBlock(kGenerator, "copy");
    Vtx::IBlockSignature* own = copy->GetSignature();
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), own);
    const auto reports = MessagesOf(copy, Vtx::kMessageUnhandledException);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("in method InitInstance"), std::string::npos) << reports[0];

    // The rebuilt signature took over what the stored one could give: the count, and the
    // item values it had; the missing bound has its default.
    EXPECT_EQ(ParameterIds(own), (std::vector<std::string>{"num_items", "label_0", "min_0", "max_0", "label_1",
                                                            "min_1", "max_1"}));
    ASSERT_TRUE(Init(copy));
    ASSERT_TRUE(copy->Execute(0));
    EXPECT_EQ(Items(copy), (ItemList{{"a", "1.000000,2.000000"}, {"b", "3.000000,0.000000"}}));
}

TEST_F(Generator, StoredSignatureWithoutTheOutputFallsBackToItsOwn) {
    Held<Vtx::IBlockSignature> stored(kernel.CreateBlockSignature(nullptr));
    IBlock* copy = MakeBlock(kGenerator, "copy");
    Vtx::IBlockSignature* own = copy->GetSignature();
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), own);
    EXPECT_EQ(ParameterIds(own), (std::vector<std::string>{"num_items", "label_0", "min_0", "max_0"}));
    EXPECT_EQ(MessagesOf(copy, Vtx::kMessageUnhandledException).size(), 1u);
}

} // namespace
} // namespace catalogtest
