#include <gtest/gtest.h>

#include <string>

#include "vtx/Exception.h"

#include "host/KernelDatatypeBase.h"
#include "host/KernelServices.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;
using vtxhost::CKernelServices;

namespace {

template <class I>
I* New(CKernelServices& kernel, const char* classId) {
    IDatatype* object = kernel.CreateDatatype("kernel", classId);
    object->AddRef();
    return dynamic_cast<I*>(object);
}

ILabelledSetInitInfo* Typing(CKernelServices& kernel, const char* catalogId, const char* classId) {
    IDatatypeInitInfo* info = kernel.CreateDatatypeInitInfo("kernel", "labeled_set");
    info->AddRef();
    auto* typing = dynamic_cast<ILabelledSetInitInfo*>(info);
    typing->SetElementCatalogId(catalogId);
    typing->SetElementClassId(classId);
    return typing;
}

std::string TextOf(ISerialize* object) {
    ProducedText text(object);
    return text ? text.get() : "<null>";
}

struct LabelledSetTest : ::testing::Test {
    CKernelServices kernel;
    ILabelledSet* set = New<ILabelledSet>(kernel, "labeled_set");
    IDouble* value = New<IDouble>(kernel, "double");
    ~LabelledSetTest() override {
        set->Release();
        value->Release();
    }
};

TEST_F(LabelledSetTest, AddItemStoresItsOwnCopy) {
    value->SetValue(1.0);
    value->SetTimestamp(10);
    set->AddItem(value, "a");
    value->SetValue(2.0);
    set->AddItem(value, "b");
    value->SetValue(3.0);
    set->AddItem(value, "a");
    ASSERT_EQ(set->GetItemCount(), 3);
    EXPECT_NE(set->GetItem(0), static_cast<IDatatype*>(value));
    EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(0))->GetValue(), 1.0);
    EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(1))->GetValue(), 2.0);
    EXPECT_EQ(set->GetItem(0)->GetTimestamp(), 10);
    EXPECT_STREQ(set->GetItemLabel(2), "a");
    EXPECT_THROW(set->GetItem(3), ICollectionException);
    EXPECT_THROW(set->GetItemLabel(-1), ICollectionException);
    EXPECT_THROW(set->AddItem(nullptr, "x"), ILogicException);
    set->ClearItems();
    EXPECT_EQ(set->GetItemCount(), 0);
}

TEST_F(LabelledSetTest, TypingByInitInformationRefusesOtherClasses) {
    ILabelledSetInitInfo* typing = Typing(kernel, "kernel", "double");
    set->InitInstance(typing);
    typing->SetElementClassId("int");  // the set keeps its own copy of the typing
    typing->Release();
    EXPECT_STREQ(set->GetElementCatalogId(), "kernel");
    EXPECT_STREQ(set->GetElementClassId(), "double");
    auto* info = dynamic_cast<ILabelledSetInitInfo*>(set->GetInitInfo());
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->GetElementClassId(), "double");

    set->AddItem(value, "ok");
    IInt* number = New<IInt>(kernel, "int");
    EXPECT_THROW(set->AddItem(number, "no"), ILogicException);
    EXPECT_EQ(set->GetItemCount(), 1);

    // Retyping drops what no longer fits and lets the new class in.
    ILabelledSetInitInfo* retyping = Typing(kernel, "kernel", "int");
    set->InitInstance(retyping);
    retyping->Release();
    EXPECT_EQ(set->GetItemCount(), 0);
    set->AddItem(number, "n");
    EXPECT_EQ(set->GetItemCount(), 1);
    number->Release();

    set->DoneInstance();
    EXPECT_EQ(set->GetInitInfo(), nullptr);
    EXPECT_STREQ(set->GetElementClassId(), "");
}

TEST_F(LabelledSetTest, InitInformationFormsRoundTrip) {
    ILabelledSetInitInfo* typing = Typing(kernel, "Brennick2010", "Interval");
    const std::string text = TextOf(typing);
    ILabelledSetInitInfo* other = Typing(kernel, "", "");
    ASSERT_TRUE(other->UnserializeString(text.c_str()));
    EXPECT_STREQ(other->GetElementCatalogId(), "Brennick2010");
    EXPECT_STREQ(other->GetElementClassId(), "Interval");
    EXPECT_TRUE(other->IsEqual(typing));
    EXPECT_FALSE(other->UnserializeString("{\"catalog\":1}"));
    other->SetElementClassId("x");
    other->CopyFrom(typing);
    EXPECT_STREQ(other->GetElementClassId(), "Interval");
    typing->Release();
    other->Release();
}

TEST_F(LabelledSetTest, FormsRoundTripAndCopyKeepsTypingAndOrder) {
    ILabelledSetInitInfo* typing = Typing(kernel, "kernel", "double");
    set->InitInstance(typing);
    typing->Release();
    for (double v : {5.0, 1.0, -0.5}) {
        value->SetValue(v);
        set->AddItem(value, v > 0 ? "pos" : "neg");
    }
    const std::string text = TextOf(set);
    EXPECT_EQ(text,
              "{\"element\":[\"kernel\",\"double\"],\"items\":[{\"label\":\"pos\",\"value\":\"5\"},"
              "{\"label\":\"pos\",\"value\":\"1\"},{\"label\":\"neg\",\"value\":\"-0.5\"}]}");

    ILabelledSet* fromText = New<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(fromText->UnserializeString(text.c_str()));
    EXPECT_TRUE(fromText->IsEqual(set));
    EXPECT_STREQ(fromText->GetElementClassId(), "double");
    ASSERT_NE(fromText->GetInitInfo(), nullptr);

    ILabelledSet* copy = New<ILabelledSet>(kernel, "labeled_set");
    copy->CopyFrom(set);
    EXPECT_EQ(TextOf(copy), text);
    EXPECT_NE(copy->GetItem(0), set->GetItem(0));

    // A malformed item leaves the set as it was.
    EXPECT_FALSE(copy->UnserializeString(
        "{\"element\":[\"kernel\",\"double\"],\"items\":[{\"label\":\"a\",\"value\":\"1\"},{\"label\":\"b\",\"value\":\"x\"}]}"));
    EXPECT_EQ(TextOf(copy), text);
    // A set typed for another class is refused.
    EXPECT_FALSE(copy->UnserializeString("{\"element\":[\"kernel\",\"int\"],\"items\":[]}"));
    EXPECT_EQ(copy->GetItemCount(), 3);
    fromText->Release();
    // An untyped set's item without a class it can create is refused, not thrown.
    ILabelledSet* untyped = New<ILabelledSet>(kernel, "labeled_set");
    EXPECT_FALSE(untyped->UnserializeString("{\"items\":[{\"label\":\"a\",\"value\":\"1\"}]}"));
    EXPECT_EQ(untyped->GetItemCount(), 0);
    untyped->Release();
    copy->Release();
}

TEST_F(LabelledSetTest, UntypedSetHoldsMixedClassesThroughItsForms) {
    IString* label = New<IString>(kernel, "string");
    label->SetValue("text item");
    value->SetValue(0.25);
    set->AddItem(value, "d");
    set->AddItem(label, "s");
    const std::string text = TextOf(set);
    ILabelledSet* copy = New<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(copy->UnserializeString(text.c_str()));
    ASSERT_EQ(copy->GetItemCount(), 2);
    EXPECT_STREQ(dynamic_cast<IString*>(copy->GetItem(1))->GetValue(), "text item");
    ProducedBinary binary(set);
    ILabelledSet* fromBinary = New<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(fromBinary->UnserializeBinary(binary.get()));
    EXPECT_TRUE(fromBinary->IsEqual(set));
    label->Release();
    copy->Release();
    fromBinary->Release();
}

} // namespace
