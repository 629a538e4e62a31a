// The labelled-set interval generator, made through the module signature in the reference
// host: the per-item parameters that follow "num_items", the set it builds on each
// activation, stored signatures, and what it does when the kernel withholds an object.
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
using ItemList = std::vector<std::pair<std::string, std::string>>;
using Ids = std::vector<std::string>;

constexpr const char* kGenerator = "LabelledSetIntervalGenerator";

class Generator : public CatalogFixture {
protected:
    IBlock* MakeGenerator(const char* name = "gen") { return MakeSignedBlock(kGenerator, name); }

    void SetItem(IBlock* block, int i, const std::string& label, const std::string& lower, const std::string& upper) {
        const std::string n = std::to_string(i);
        ASSERT_TRUE(Set(block, ("label_" + n).c_str(), label));
        ASSERT_TRUE(Set(block, ("min_" + n).c_str(), lower));
        ASSERT_TRUE(Set(block, ("max_" + n).c_str(), upper));
    }
    // A generator with two items "a" 1..2 and "b" 3..4, whose signature the test holds.
    Held<Vtx::IBlockSignature> StoredTwoItems() {
        IBlock* original = MakeGenerator("original");
        EXPECT_TRUE(Set(original, "num_items", "2"));
        SetItem(original, 0, "a", "1", "2");
        SetItem(original, 1, "b", "3", "4");
        return Held<Vtx::IBlockSignature>(original->GetSignature());
    }

    static Vtx::ILabelledSet* Output(IBlock* block) {
        return Vtx::interface_cast<Vtx::ILabelledSet>(block->GetSignature()->FindOutputPin("output")->GetDatatype());
    }
    // The set's items as (label, "lower,upper").
    static ItemList Items(IBlock* block) {
        ItemList items;
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

TEST_F(Generator, ItemCountDeclaresAndRemovesItemsInOrder) {
    IBlock* block = MakeGenerator();
    // The count is declared before its items; item 0 comes with the own signature.
    EXPECT_EQ(kernel.journal, (Ids{"declare num_items", "declare label_0", "declare min_0", "declare max_0"}));
    SetItem(block, 0, "first", "1", "2");
    kernel.journal.clear();
    const std::size_t changes = kernel.Dispatcher().SignatureChangeCount();

    ASSERT_TRUE(Set(block, "num_items", "3"));
    EXPECT_EQ(kernel.journal, (Ids{"declare label_0", "declare min_0", "declare max_0", "declare label_1",
                                   "declare min_1", "declare max_1", "declare label_2", "declare min_2",
                                   "declare max_2"}));
    EXPECT_EQ(ParameterIds(block->GetSignature()).size(), 10u);
    // Item 0, declared again, kept its value.
    EXPECT_STREQ(ParameterValue<Vtx::IString>(block, "label_0")->GetValue(), "first");
    EXPECT_EQ(kernel.Dispatcher().SignatureChangeCount(), changes + 1);

    kernel.journal.clear();
    ASSERT_TRUE(Set(block, "num_items", "1"));
    EXPECT_EQ(kernel.journal, (Ids{"declare label_0", "declare min_0", "declare max_0", "remove label_1",
                                   "remove min_1", "remove max_1", "remove label_2", "remove min_2",
                                   "remove max_2"}));
    EXPECT_EQ(ParameterIds(block->GetSignature()), (Ids{"num_items", "label_0", "min_0", "max_0"}));

    kernel.journal.clear();
    ASSERT_TRUE(Set(block, "num_items", "0"));
    EXPECT_EQ(kernel.journal, (Ids{"remove label_0", "remove min_0", "remove max_0"}));
    EXPECT_EQ(kernel.Dispatcher().SignatureChangeCount(), changes + 3);

    // The domain keeps the count at zero or more; it cannot change while the patch runs.
    EXPECT_FALSE(Set(block, "num_items", "-1"));
    SetRunning(block, true);
    EXPECT_FALSE(Set(block, "num_items", "2"));
    SetRunning(block, false);
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "num_items")->GetValue(), 0);

    // The catalog's texts, with the item's index in ids, names and descriptions (item ten
    // with two digits).
    ASSERT_TRUE(Set(block, "num_items", "11"));
    Vtx::IBlockSignature* signature = block->GetSignature();
    const Ids texts = PinTexts(signature);
    ASSERT_EQ(texts.size(), 2u + 3 * 11);
    EXPECT_EQ(Ids(texts.begin(), texts.begin() + 5),
              (Ids{"output|output|The generated labelled set of intervals",
                   "num_items|Number of items|Maximum number of items added to the output labelled set",
                   "label_0|Label 0|Label of item 0", "min_0|Min 0|Lower bound of interval 0",
                   "max_0|Max 0|Upper bound of interval 0"}));
    EXPECT_EQ(Ids(texts.end() - 3, texts.end()),
              (Ids{"label_10|Label 10|Label of item 10", "min_10|Min 10|Lower bound of interval 10",
                   "max_10|Max 10|Upper bound of interval 10"}));
    SetRunning(block, true);
    EXPECT_TRUE(Set(block, "label_10", "still changeable"));
    SetRunning(block, false);
}

TEST_F(Generator, InitAsksForPeriodicActivationAndTypesTheSet) {
    IBlock* block = MakeGenerator();
    ASSERT_TRUE(Init(block));
    Vtx::IRunTimeContext* context = block->GetRunTimeContext();
    EXPECT_TRUE(context->GetPeriodicActivation());
    EXPECT_TRUE(context->GetPeriodicActivationSettings()->GetEnabled());
    EXPECT_EQ(context->GetPeriodicActivationSettings()->GetPeriod(), 400000);
    // The typed set refuses anything but Intervals.
    EXPECT_STREQ(Output(block)->GetElementClassId(), "Interval");
    EXPECT_THROW(Output(block)->AddItem(Make<Vtx::IDouble>("kernel", "double"), "n"), Vtx::IException);
}

TEST_F(Generator, ExecuteRebuildsTheSetFromTheLabelledItemsAndStampsTheKernelTime) {
    IBlock* block = MakeGenerator();
    ASSERT_TRUE(Set(block, "num_items", "3"));
    SetItem(block, 0, "a", "0.5", "1.5");
    SetItem(block, 1, "", "7", "8");   // no label: left out
    SetItem(block, 2, "x", "5", "1");  // lower above upper: kept as it is
    ASSERT_TRUE(Init(block));
    clock.now = 123456789;
    ASSERT_TRUE(block->Start());
    ASSERT_TRUE(block->Execute(0));
    EXPECT_EQ(Items(block), (ItemList{{"a", "0.500000,1.500000"}, {"x", "5.000000,1.000000"}}));
    EXPECT_EQ(Output(block)->GetTimestamp(), 123456789);

    // The set is emptied first: an item whose label went is not delivered again.
    ASSERT_TRUE(Set(block, "label_0", ""));
    ASSERT_TRUE(Set(block, "max_2", "4"));
    clock.now = 2000;
    ASSERT_TRUE(block->Execute(0));
    EXPECT_EQ(Items(block), (ItemList{{"x", "5.000000,4.000000"}}));

    // No items at all: an empty set with a new timestamp.
    ASSERT_TRUE(Set(block, "num_items", "0"));
    clock.now = 77;
    ASSERT_TRUE(block->Execute(0));
    EXPECT_EQ(Output(block)->GetItemCount(), 0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 77);
    EXPECT_TRUE(MessagesOf(block, Vtx::kMessageErrorInMethod).empty());
}

TEST_F(Generator, WithoutIntervalsOrInitInformationTheBlockFailsVisibly) {
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
    EXPECT_EQ(MessagesOf(block, Vtx::kMessageErrorInMethod), (Ids{"Block gen: error in method Execute\n"}));

    // Without a labelled item no Interval is needed.
    ASSERT_TRUE(Set(block, "label_0", ""));
    EXPECT_TRUE(block->Execute(0));
    EXPECT_EQ(Output(block)->GetTimestamp(), 60);

    // Without init information Init fails and the set stays untyped.
    IBlock* untyped = MakeGenerator("untyped");
    kernel.refuseInitInfo = true;
    EXPECT_FALSE(Init(untyped));
    EXPECT_EQ(MessagesOf(untyped, Vtx::kMessageErrorInMethod), (Ids{"Block untyped: error in method Init\n"}));
    EXPECT_STREQ(Output(untyped)->GetElementClassId(), "");
}

TEST_F(Generator, DoneReleasesTheSetAndDoneInstanceTheParameters) {
    IBlock* block = MakeGenerator();
    SetItem(block, 0, "a", "0", "1");
    ASSERT_TRUE(Init(block));
    block->Done();
    EXPECT_FALSE(block->Execute(0));  // without its set Execute fails and says so
    block->DoneInstance();
    EXPECT_EQ(block->GetSignature()->GetParameters()->GetCount(), 0);
    // A new signature after DoneInstance starts from one item again.
    block->InitInstance(nullptr, nullptr, 0);
    EXPECT_EQ(ParameterIds(block->GetSignature()), (Ids{"num_items", "label_0", "min_0", "max_0"}));
}

TEST_F(Generator, StoredSignatureIsCheckedAndKeepsItsValues) {
    Held<Vtx::IBlockSignature> stored = StoredTwoItems();
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

TEST_F(Generator, StoredSignatureMissingAPinOrParameterFallsBackToItsOwn) {
    Held<Vtx::IBlockSignature> stored = StoredTwoItems();
    ASSERT_NE(stored->RemoveParameter("max_1"), nullptr);
    IBlock* copy = MakeBlock(kGenerator, "copy");
    Vtx::IBlockSignature* own = copy->GetSignature();
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), own);
    const auto reports = MessagesOf(copy, Vtx::kMessageUnhandledException);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("in method InitInstance"), std::string::npos) << reports[0];
    // The rebuilt signature took the count and the item values the stored one had; the
    // missing bound has its default.
    EXPECT_EQ(ParameterIds(own).size(), 7u);
    ASSERT_TRUE(Init(copy));
    ASSERT_TRUE(copy->Execute(0));
    EXPECT_EQ(Items(copy), (ItemList{{"a", "1.000000,2.000000"}, {"b", "3.000000,0.000000"}}));

    // A stored signature without the output pin.
    Held<Vtx::IBlockSignature> empty(kernel.CreateBlockSignature(nullptr));
    IBlock* other = MakeBlock(kGenerator, "other");
    Vtx::IBlockSignature* otherOwn = other->GetSignature();
    other->InitInstance(empty.get(), nullptr, 0);
    EXPECT_EQ(other->GetSignature(), otherOwn);
    EXPECT_EQ(ParameterIds(otherOwn), (Ids{"num_items", "label_0", "min_0", "max_0"}));
    EXPECT_EQ(MessagesOf(other, Vtx::kMessageUnhandledException).size(), 1u);
}

} // namespace
} // namespace catalogtest
