#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "module/ModuleState.h"
#include "module/ThreadSpecificValue.h"
#include "sdk/object/PropertyCollectionImpl.h"
#include "sdk/object/PropertyImpl.h"

using namespace Vtx;

namespace {

// Text results need the module's holder; each test installs its own and puts back the one
// it found.
class Property : public ::testing::Test {
protected:
    Property() : saved_(GetThreadSpecificValue()) {
        if (saved_) saved_->AddRef();
        SetThreadSpecificValue(new CThreadSpecificValueImpl);
    }
    ~Property() override {
        SetThreadSpecificValue(saved_);
        if (saved_) saved_->Release();
    }

    // A property held by the test for its duration.
    IProperty* Make(std::int32_t type, const char* valueText = nullptr) {
        auto* property = new CPropertyImpl(type, "p", valueText);
        held_.reset(property);
        return property;
    }

private:
    struct Holder {
        CPropertyImpl* p = nullptr;
        void reset(CPropertyImpl* next) {
            next->AddRef();
            if (p) p->Release();
            p = next;
        }
        ~Holder() {
            if (p) p->Release();
        }
    };
    IThreadSpecificValue* saved_;
    Holder held_;
};

template <class F>
void ExpectStdException(F&& call) {
    try {
        call();
        ADD_FAILURE() << "no exception";
    } catch (CStdExceptionImpl&) {
    }
}

TEST_F(Property, NewPropertiesHoldTheZeroValueOfTheirType) {
    CPropertyImpl integer(kPropertyInt);
    EXPECT_EQ(integer.GetType(), kPropertyInt);
    EXPECT_STREQ(integer.GetName(), "");
    EXPECT_EQ(integer.GetInt(), 0);
    EXPECT_STREQ(integer.GetValueText(), "0");
    EXPECT_FALSE(CPropertyImpl(kPropertyBool).GetBool());
    EXPECT_STREQ(CPropertyImpl(kPropertyBool).GetValueText(), "0");
    EXPECT_EQ(CPropertyImpl(kPropertyDouble).GetDouble(), 0.0);
    EXPECT_EQ(CPropertyImpl(kPropertyFloat).GetFloat(), 0.0f);
    EXPECT_STREQ(CPropertyImpl(kPropertyString).GetString(), "");
    EXPECT_EQ(CPropertyImpl(kPropertyChar).GetChar(), '\0');
    EXPECT_EQ(CPropertyImpl(kPropertyShort).GetShort(), 0);
    EXPECT_EQ(CPropertyImpl(kPropertyInt64).GetInt64(), 0);
    EXPECT_EQ(CPropertyImpl(kPropertyInt64B).GetInt64B(), 0);
}

TEST_F(Property, IntegerFromTexts) {
    IProperty* p = Make(kPropertyInt);
    p->SetValueText("");
    EXPECT_EQ(p->GetInt(), 0);
    p->SetValueText("42");
    EXPECT_EQ(p->GetInt(), 42);
    p->SetValueText(nullptr);  // null reads as the empty text
    EXPECT_EQ(p->GetInt(), 0);
    p->SetInt(-7);
    EXPECT_STREQ(p->GetValueText(), "-7");
}

TEST_F(Property, TextFormsRoundTrip) {
    struct Case {
        std::int32_t type;
        const char* text;
    };
    const Case cases[] = {
        {kPropertyInt, "-2147483648"}, {kPropertyBool, "1"},        {kPropertyDouble, "2.5"},
        {kPropertyDouble, "-1e-300"},  {kPropertyFloat, "0.25"},    {kPropertyString, "any text, 42"},
        {kPropertyShort, "-32768"},    {kPropertyInt64, "9223372036854775807"}, {kPropertyInt64B, "-9000000000"},
    };
    for (const Case& c : cases) {
        CPropertyImpl p(c.type, "p", c.text);
        EXPECT_STREQ(p.GetValueText(), c.text) << "type " << c.type;
        CPropertyImpl copy(c.type);
        copy.SetValueText(p.GetValueText());
        EXPECT_STREQ(copy.GetValueText(), c.text) << "type " << c.type;
    }
    CPropertyImpl big(kPropertyInt64, "p", "9223372036854775807");
    EXPECT_EQ(big.GetInt64(), std::numeric_limits<std::int64_t>::max());
    CPropertyImpl d(kPropertyDouble, "p", "0.1");
    EXPECT_EQ(CPropertyImpl(kPropertyDouble, "q", d.GetValueText()).GetDouble(), 0.1);
}

TEST_F(Property, TextThatDoesNotConvertFailsAndKeepsTheValue) {
    IProperty* integer = Make(kPropertyInt, "5");
    ExpectStdException([&] { integer->SetValueText("abc"); });
    ExpectStdException([&] { integer->SetValueText("12abc"); });
    EXPECT_EQ(integer->GetInt(), 5);

    CPropertyImpl shortValue(kPropertyShort, "s", "3");
    ExpectStdException([&] { shortValue.SetValueText("70000"); });  // out of range
    EXPECT_EQ(shortValue.GetShort(), 3);

    CPropertyImpl flag(kPropertyBool, "b", "1");
    ExpectStdException([&] { flag.SetValueText("yes"); });
    EXPECT_TRUE(flag.GetBool());

    ExpectStdException([&] { CPropertyImpl(kPropertyDouble, "d", "x1.0"); });
}

TEST_F(Property, TypedAccessOfAnotherTypeFailsAndKeepsTheValue) {
    IProperty* integer = Make(kPropertyInt, "9");
    ExpectStdException([&] { integer->GetBool(); });
    ExpectStdException([&] { integer->SetBool(true); });
    ExpectStdException([&] { integer->GetShort(); });
    ExpectStdException([&] { integer->SetString("x"); });
    ExpectStdException([&] { integer->GetInt64(); });
    EXPECT_EQ(integer->GetInt(), 9);

    // The two 64-bit kinds are distinct types.
    CPropertyImpl first(kPropertyInt64, "a", "1");
    CPropertyImpl second(kPropertyInt64B, "b", "2");
    ExpectStdException([&] { first.GetInt64B(); });
    ExpectStdException([&] { second.SetInt64(3); });
    EXPECT_EQ(second.GetInt64B(), 2);
    second.SetInt64B(-4);
    EXPECT_STREQ(second.GetValueText(), "-4");
}

TEST_F(Property, CharacterTakesTheFirstLetter) {
    IProperty* c = Make(kPropertyChar, "xyz");
    EXPECT_EQ(c->GetChar(), 'x');
    EXPECT_STREQ(c->GetValueText(), "x");
    c->SetValueText("");
    EXPECT_EQ(c->GetChar(), '\0');
    EXPECT_STREQ(c->GetValueText(), "");
    c->SetChar('Q');
    EXPECT_STREQ(c->GetValueText(), "Q");
}

TEST_F(Property, NoneHasNoValue) {
    IProperty* none = Make(kPropertyNone, "ignored");
    EXPECT_EQ(none->GetType(), kPropertyNone);
    EXPECT_STREQ(none->GetValueText(), "");
    none->SetValueText("still ignored");
    EXPECT_STREQ(none->GetValueText(), "");
    ExpectStdException([&] { none->GetInt(); });
    ExpectStdException([&] { none->SetString("x"); });
}

TEST_F(Property, StringsAndNames) {
    IProperty* text = Make(kPropertyString, "first");
    text->SetString(nullptr);
    EXPECT_STREQ(text->GetString(), "");
    text->SetString("second");
    EXPECT_STREQ(text->GetValueText(), "second");
    text->SetName("renamed");
    EXPECT_STREQ(text->GetName(), "renamed");
    text->SetName(nullptr);
    EXPECT_STREQ(text->GetName(), "");
}

TEST_F(Property, CopyValueGoesThroughTheTextForm) {
    CPropertyImpl source(kPropertyDouble, "d", "2.5");
    IProperty* target = Make(kPropertyString, "old");
    target->CopyValue(&source);
    EXPECT_STREQ(target->GetString(), "2.5");
    target->CopyValue(nullptr);
    EXPECT_STREQ(target->GetString(), "2.5");

    CPropertyImpl integer(kPropertyInt, "i", "3");
    ExpectStdException([&] { integer.CopyValue(target); });  // "2.5" is not an integer
    EXPECT_EQ(integer.GetInt(), 3);

    // Without a holder text results are empty; a copy between our properties loses nothing.
    SetThreadSpecificValue(nullptr);
    CPropertyImpl other(kPropertyInt, "j", "77");
    integer.CopyValue(&other);
    EXPECT_EQ(integer.GetInt(), 77);
}

TEST_F(Property, UnknownTypeIsRefused) {
    EXPECT_THROW(CPropertyImpl(10), ILogicException);
    EXPECT_THROW(CPropertyImpl(-1), ILogicException);
}

class PropertyCollection : public Property {};

TEST_F(PropertyCollection, LooksUpPropertiesByExactName) {
    auto* set = new CPropertyCollectionImpl("display");
    set->AddRef();
    EXPECT_STREQ(set->GetName(), "display");
    set->Add(new CPropertyImpl(kPropertyInt, "width", "640"));
    set->Add(new CPropertyImpl(kPropertyInt, "height", "480"));
    set->Add(new CPropertyImpl(kPropertyString, "width", "shadowed"));
    EXPECT_TRUE(set->HasProperty("height"));
    EXPECT_FALSE(set->HasProperty("Height"));
    EXPECT_FALSE(set->HasProperty("heigh"));
    EXPECT_EQ(set->GetIndexByName("width"), 0);
    EXPECT_EQ(set->GetPropertyByName("height")->GetInt(), 480);
    try {
        set->GetIndexByName("depth");
        ADD_FAILURE() << "no exception";
    } catch (ICollectionException& e) {
        EXPECT_STREQ(e.GetMessageText(),
                     "The item specified was not found in the collection.\n"
                     "Class identifier (ClassID) of the searched item was \"depth\".\n");
    }
    set->RemoveAt(set->GetIndexByName("width"));
    EXPECT_STREQ(set->GetPropertyByName("width")->GetValueText(), "shadowed");

    IProperty* made = set->FindOrAddProperty("depth", kPropertyShort);
    EXPECT_EQ(made->GetType(), kPropertyShort);
    EXPECT_EQ(set->FindOrAddProperty("depth", kPropertyInt), made);
    EXPECT_EQ(set->GetCount(), 3);
    set->Release();
}

} // namespace
