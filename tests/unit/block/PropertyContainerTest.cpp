#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "module/ModuleState.h"
#include "module/ThreadSpecificValue.h"
#include "sdk/block/PropertyContainerImpl.h"
#include "sdk/object/PropertyImpl.h"

using namespace Vtx;

namespace {

struct Container : CPropertyContainerImpl<IPropertyContainer> {};

// Text results need the module's per-thread holder; each test installs its own.
class PropertyContainer : public ::testing::Test {
protected:
    PropertyContainer() : saved_(GetThreadSpecificValue()) {
        if (saved_) saved_->AddRef();
        SetThreadSpecificValue(new CThreadSpecificValueImpl);
    }
    ~PropertyContainer() override {
        SetThreadSpecificValue(saved_);
        if (saved_) saved_->Release();
    }

private:
    IThreadSpecificValue* saved_;
};

std::string LogicMessage(const std::function<void()>& action) {
    try {
        action();
    } catch (ILogicException& e) {
        return e.GetMessageText();
    }
    return "(nothing thrown)";
}

TEST_F(PropertyContainer, SetsAreUniqueByNameAndBadIndicesOrNamesAreRefused) {
    Container c;
    const std::string range = "Property set index is out of range.\n";
    EXPECT_EQ(LogicMessage([&] { c.GetPropertySetAt(0); }), range);
    c.AddPropertySet("view");
    c.AddPropertySet("editor");
    c.AddPropertySet("view");
    ASSERT_EQ(c.GetPropertySetCount(), 2);
    EXPECT_STREQ(c.GetPropertySetAt(1)->GetName(), "editor");
    EXPECT_EQ(c.GetPropertySet("editor"), c.GetPropertySetAt(1));
    EXPECT_FALSE(c.HasPropertySet("View"));  // case-sensitive
    for (int index : {2, -1}) EXPECT_EQ(LogicMessage([&] { c.GetPropertySetAt(index); }), range) << index;
    // Look-ups, getters and removals on a missing set refuse the same way; HasProperty answers false.
    EXPECT_EQ(LogicMessage([&] { c.GetPropertySet("c"); }), range);
    EXPECT_EQ(LogicMessage([&] { c.GetIntProperty("c", "x"); }), range);
    EXPECT_EQ(LogicMessage([&] { c.RemoveAllProperties("c"); }), range);
    EXPECT_FALSE(c.HasProperty("c", "x"));
    // A null name and the empty name are the same name.
    c.AddPropertySet(nullptr);
    c.AddPropertySet("");
    EXPECT_EQ(c.GetPropertySetCount(), 3);
    EXPECT_EQ(c.GetPropertySet(""), c.GetPropertySet(nullptr));
}

TEST_F(PropertyContainer, TypedSettersCreateSetAndPropertyOfTheirType) {
    Container c;
    c.SetIntProperty("s", "int", -7);
    c.SetBoolProperty("s", "bool", true);
    c.SetDoubleProperty("s", "double", 2.5);
    c.SetFloatProperty("s", "float", 1.25f);
    c.SetStringProperty("s", "string", "text");
    c.SetCharProperty("s", "char", 'q');
    c.SetShortProperty("s", "short", -3);
    c.SetInt64Property("s", "int64", 1LL << 40);
    c.SetInt64BProperty("s", "int64b", -(1LL << 41));
    const int types[] = {kPropertyInt,    kPropertyBool, kPropertyDouble, kPropertyFloat, kPropertyString,
                         kPropertyChar,   kPropertyShort, kPropertyInt64, kPropertyInt64B};
    IPropertyCollection* set = c.GetPropertySet("s");
    ASSERT_EQ(set->GetCount(), 9);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(set->GetAt(i)->GetType(), types[i]) << set->GetAt(i)->GetName();
    EXPECT_EQ(c.GetInt64BProperty("s", "int64b"), -(1LL << 41));
    // Setting again changes the value and adds no property; the wrong type is refused.
    c.SetIntProperty("s", "int", 8);
    EXPECT_EQ(c.GetIntProperty("s", "int"), 8);
    EXPECT_EQ(set->GetCount(), 9);
    EXPECT_THROW(c.SetBoolProperty("s", "int", true), IException);
    EXPECT_THROW(c.GetDoubleProperty("s", "int"), IException);
    EXPECT_EQ(c.GetIntProperty("s", "int"), 8);
}

TEST_F(PropertyContainer, TextAccessCopyAndRemoval) {
    Container c;
    EXPECT_FALSE(c.HasProperty("s", "p"));
    c.SetPropertyValueText("s", "p", "hello");
    EXPECT_TRUE(c.HasProperty("s", "p"));
    EXPECT_EQ(c.GetPropertySet("s")->GetPropertyByName("p")->GetType(), kPropertyString);
    EXPECT_STREQ(c.GetPropertyValueText("s", "p"), "hello");
    c.SetIntProperty("s", "n", 5);
    c.SetPropertyValueText("s", "n", "42");
    EXPECT_EQ(c.GetIntProperty("s", "n"), 42);

    // SetProperty: a property made here takes the given one's type; an existing one is
    // set from the given one's text form.
    CPropertyImpl* source = new CPropertyImpl(kPropertyDouble, "ratio", "0.5");
    source->AddRef();
    c.SetProperty("other", source);
    EXPECT_EQ(c.GetPropertySet("other")->GetPropertyByName("ratio")->GetType(), kPropertyDouble);
    EXPECT_EQ(c.GetDoubleProperty("other", "ratio"), 0.5);
    c.SetStringProperty("s", "ratio", "");
    c.SetProperty("s", source);
    EXPECT_STREQ(c.GetStringProperty("s", "ratio"), "0.5");
    c.SetProperty("s", nullptr);
    source->Release();

    c.RemoveProperty("s", "n");
    EXPECT_FALSE(c.HasProperty("s", "n"));
    EXPECT_TRUE(c.HasProperty("s", "p"));
    EXPECT_THROW(c.RemoveProperty("s", "n"), ICollectionException);
    c.RemoveAllProperties("s");
    EXPECT_EQ(c.GetPropertySet("s")->GetCount(), 0);
    EXPECT_TRUE(c.HasPropertySet("s"));
}

TEST_F(PropertyContainer, SetsAreReleasedWithTheContainer) {
    IPropertyCollection* kept = nullptr;
    {
        Container c;
        c.SetIntProperty("s", "n", 1);
        kept = c.GetPropertySet("s");
        EXPECT_EQ(kept->AddRef(), 2);
    }
    EXPECT_EQ(kept->Release(), 0);
}

} // namespace
