#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "sdk/object/PropertyCollectionImpl.h"
#include "sdk/object/PropertyImpl.h"
#include "tests/unit/module/ThreadTextHolder.h"

using namespace Vtx;

namespace {

// Text results need the module's holder.
class Property : public ::testing::Test {
    ThreadTextHolder holder_;
};

template <class F>
void ExpectStdException(F&& call) {
    try {
        call();
        ADD_FAILURE() << "no exception";
    } catch (CStdExceptionImpl&) {
    }
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
        SCOPED_TRACE(c.text);
        CPropertyImpl p(c.type, "p", c.text);
        EXPECT_STREQ(p.GetValueText(), c.text);
        CPropertyImpl copy(c.type);
        copy.SetValueText(p.GetValueText());
        EXPECT_STREQ(copy.GetValueText(), c.text);
    }
    EXPECT_EQ(CPropertyImpl(kPropertyInt64, "p", "9223372036854775807").GetInt64(),
              std::numeric_limits<std::int64_t>::max());
    CPropertyImpl d(kPropertyDouble, "p", "0.1");
    EXPECT_EQ(CPropertyImpl(kPropertyDouble, "q", d.GetValueText()).GetDouble(), 0.1);
    // The empty and the null text read as zero.
    CPropertyImpl integer(kPropertyInt, "i", "42");
    integer.SetValueText("");
    EXPECT_EQ(integer.GetInt(), 0);
    integer.SetInt(3);
    integer.SetValueText(nullptr);
    EXPECT_EQ(integer.GetInt(), 0);
}

TEST_F(Property, RefusedTextsAndAccessesOfAnotherTypeKeepTheValue) {
    CPropertyImpl integer(kPropertyInt, "i", "5");
    ExpectStdException([&] { integer.SetValueText("abc"); });
    ExpectStdException([&] { integer.SetValueText("12abc"); });
    ExpectStdException([&] { integer.GetBool(); });
    ExpectStdException([&] { integer.SetBool(true); });
    ExpectStdException([&] { integer.GetShort(); });
    ExpectStdException([&] { integer.SetString("x"); });
    ExpectStdException([&] { integer.GetInt64(); });
    EXPECT_EQ(integer.GetInt(), 5);

    CPropertyImpl shortValue(kPropertyShort, "s", "3");
    ExpectStdException([&] { shortValue.SetValueText("70000"); });  // out of range
    EXPECT_EQ(shortValue.GetShort(), 3);
    CPropertyImpl flag(kPropertyBool, "b", "1");
    ExpectStdException([&] { flag.SetValueText("yes"); });
    EXPECT_TRUE(flag.GetBool());
    ExpectStdException([&] { CPropertyImpl(kPropertyDouble, "d", "x1.0"); });

    // The two 64-bit kinds are distinct types.
    CPropertyImpl first(kPropertyInt64, "a", "1");
    CPropertyImpl second(kPropertyInt64B, "b", "2");
    ExpectStdException([&] { first.GetInt64B(); });
    ExpectStdException([&] { second.SetInt64(3); });
    EXPECT_EQ(second.GetInt64B(), 2);

    EXPECT_THROW(CPropertyImpl(10), ILogicException);
    EXPECT_THROW(CPropertyImpl(-1), ILogicException);
}

TEST_F(Property, CharacterNoneAndNullTexts) {
    CPropertyImpl c(kPropertyChar, "c", "xyz");
    EXPECT_EQ(c.GetChar(), 'x');
    EXPECT_STREQ(c.GetValueText(), "x");
    c.SetValueText("");
    EXPECT_EQ(c.GetChar(), '\0');
    EXPECT_STREQ(c.GetValueText(), "");

    CPropertyImpl none(kPropertyNone, "n", "ignored");
    EXPECT_STREQ(none.GetValueText(), "");
    none.SetValueText("still ignored");
    EXPECT_STREQ(none.GetValueText(), "");
    ExpectStdException([&] { none.GetInt(); });
    ExpectStdException([&] { none.SetString("x"); });

    CPropertyImpl text(kPropertyString, "t", "first");
    text.SetString(nullptr);
    EXPECT_STREQ(text.GetString(), "");
    text.SetName(nullptr);
    EXPECT_STREQ(text.GetName(), "");
}

TEST_F(Property, CopyValueGoesThroughTheTextForm) {
    CPropertyImpl source(kPropertyDouble, "d", "2.5");
    CPropertyImpl target(kPropertyString, "s", "old");
    target.CopyValue(&source);
    EXPECT_STREQ(target.GetString(), "2.5");
    target.CopyValue(nullptr);
    EXPECT_STREQ(target.GetString(), "2.5");

    CPropertyImpl integer(kPropertyInt, "i", "3");
    ExpectStdException([&] { integer.CopyValue(&target); });  // "2.5" is not an integer
    EXPECT_EQ(integer.GetInt(), 3);

    // Without a holder text results are empty; a copy between our properties loses nothing.
    SetThreadSpecificValue(nullptr);
    CPropertyImpl other(kPropertyInt, "j", "77");
    integer.CopyValue(&other);
    EXPECT_EQ(integer.GetInt(), 77);
}

class PropertyCollection : public Property {};

TEST_F(PropertyCollection, LooksUpPropertiesByExactName) {
    auto* set = new CPropertyCollectionImpl("display");
    set->AddRef();
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
