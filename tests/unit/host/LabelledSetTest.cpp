#include <gtest/gtest.h>

#include <string>

#include "tests/unit/host/HeldObject.h"
#include "vtx/Exception.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;
using vtxhost::CKernelServices;

namespace {

Held<ILabelledSetInitInfo> Typing(CKernelServices& kernel, const char* catalogId, const char* classId) {
    Held<ILabelledSetInitInfo> typing(kernel.CreateDatatypeInitInfo("kernel", "labeled_set"));
    typing->SetElementCatalogId(catalogId);
    typing->SetElementClassId(classId);
    return typing;
}

struct LabelledSetTest : ::testing::Test {
    CKernelServices kernel;
    Held<ILabelledSet> set = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    Held<IDouble> value = NewDatatype<IDouble>(kernel, "double");

    void Type(const char* classId) { set->InitInstance(Typing(kernel, "kernel", classId)); }
};

TEST_F(LabelledSetTest, AddItemStoresItsOwnCopy) {
    value->SetValue(1.0);
    value->SetTimestamp(10);
    set->AddItem(value, "a");
    value->SetValue(2.0);
    set->AddItem(value, "a");
    ASSERT_EQ(set->GetItemCount(), 2);
    EXPECT_NE(set->GetItem(0), static_cast<IDatatype*>(value));
    EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(0))->GetValue(), 1.0);
    EXPECT_EQ(set->GetItem(0)->GetTimestamp(), 10);
    EXPECT_STREQ(set->GetItemLabel(1), "a");
    EXPECT_THROW(set->GetItem(2), ICollectionException);
    EXPECT_THROW(set->GetItemLabel(-1), ICollectionException);
    EXPECT_THROW(set->AddItem(nullptr, "x"), ILogicException);
    set->ClearItems();
    EXPECT_EQ(set->GetItemCount(), 0);
}

TEST_F(LabelledSetTest, TypingByInitInformationRefusesOtherClasses) {
    {
        auto typing = Typing(kernel, "kernel", "double");
        set->InitInstance(typing);
        typing->SetElementClassId("int");  // the set keeps its own copy of the typing
    }
    EXPECT_STREQ(set->GetElementClassId(), "double");
    auto* info = dynamic_cast<ILabelledSetInitInfo*>(set->GetInitInfo());
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->GetElementClassId(), "double");

    set->AddItem(value, "ok");
    auto number = NewDatatype<IInt>(kernel, "int");
    EXPECT_THROW(set->AddItem(number, "no"), ILogicException);
    EXPECT_EQ(set->GetItemCount(), 1);

    // Retyping drops what no longer fits and lets the new class in.
    Type("int");
    EXPECT_EQ(set->GetItemCount(), 0);
    set->AddItem(number, "n");
    EXPECT_EQ(set->GetItemCount(), 1);

    set->DoneInstance();
    EXPECT_EQ(set->GetInitInfo(), nullptr);
    EXPECT_STREQ(set->GetElementClassId(), "");
}

TEST_F(LabelledSetTest, InitInformationFormsRoundTrip) {
    auto typing = Typing(kernel, "Brennick2010", "Interval");
    auto other = Typing(kernel, "", "");
    ASSERT_TRUE(other->UnserializeString(TextOf(typing).c_str()));
    EXPECT_STREQ(other->GetElementCatalogId(), "Brennick2010");
    EXPECT_STREQ(other->GetElementClassId(), "Interval");
    EXPECT_TRUE(other->IsEqual(typing));
    EXPECT_FALSE(other->UnserializeString("{\"catalog\":1}"));
    other->SetElementClassId("x");
    other->CopyFrom(typing);
    EXPECT_STREQ(other->GetElementClassId(), "Interval");
}

TEST_F(LabelledSetTest, FormsRoundTripAndCopyKeepsTypingAndOrder) {
    Type("double");
    for (double v : {5.0, 1.0, -0.5}) {
        value->SetValue(v);
        set->AddItem(value, v > 0 ? "pos" : "neg");
    }
    const std::string text = TextOf(set);
    EXPECT_EQ(text,
              "{\"element\":[\"kernel\",\"double\"],\"items\":[{\"label\":\"pos\",\"value\":\"5\"},"
              "{\"label\":\"pos\",\"value\":\"1\"},{\"label\":\"neg\",\"value\":\"-0.5\"}]}");

    auto fromText = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(fromText->UnserializeString(text.c_str()));
    EXPECT_TRUE(fromText->IsEqual(set));
    EXPECT_STREQ(fromText->GetElementClassId(), "double");
    ASSERT_NE(fromText->GetInitInfo(), nullptr);

    auto copy = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    copy->CopyFrom(set);
    EXPECT_EQ(TextOf(copy), text);
    EXPECT_NE(copy->GetItem(0), set->GetItem(0));

    // A malformed item, or a typing for another class, leaves the set as it was.
    EXPECT_FALSE(copy->UnserializeString(
        "{\"element\":[\"kernel\",\"double\"],\"items\":[{\"label\":\"a\",\"value\":\"1\"},{\"label\":\"b\",\"value\":\"x\"}]}"));
    EXPECT_FALSE(copy->UnserializeString("{\"element\":[\"kernel\",\"int\"],\"items\":[]}"));
    EXPECT_EQ(TextOf(copy), text);
    // An untyped set's item without a class it can create is refused, not thrown.
    auto untyped = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    EXPECT_FALSE(untyped->UnserializeString("{\"items\":[{\"label\":\"a\",\"value\":\"1\"}]}"));
    EXPECT_EQ(untyped->GetItemCount(), 0);
}

TEST_F(LabelledSetTest, UntypedSetHoldsMixedClassesThroughItsForms) {
    auto label = NewDatatype<IString>(kernel, "string");
    label->SetValue("text item");
    value->SetValue(0.25);
    set->AddItem(value, "d");
    set->AddItem(label, "s");
    auto copy = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(copy->UnserializeString(TextOf(set).c_str()));
    ASSERT_EQ(copy->GetItemCount(), 2);
    EXPECT_STREQ(dynamic_cast<IString*>(copy->GetItem(1))->GetValue(), "text item");
    ProducedBinary binary(set);
    auto fromBinary = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(fromBinary->UnserializeBinary(binary.get()));
    EXPECT_TRUE(fromBinary->IsEqual(set));
}

} // namespace
