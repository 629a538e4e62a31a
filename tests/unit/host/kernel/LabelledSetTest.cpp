#include <gtest/gtest.h>

#include <random>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "host/kernel/KernelText.h"
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

TEST_F(LabelledSetTest, ClearedElementsAreReusedOnlyWhenTheSetAloneHoldsThem) {
    Type("double");
    for (double v : {1.0, 2.0}) {
        value->SetValue(v);
        set->AddItem(value, "old");
    }
    IDatatype* alone = set->GetItem(0);
    Held<IDouble> kept(set->GetItem(1));
    set->ClearItems();
    value->SetTimestamp(30);
    for (double v : {3.0, 4.0}) {
        value->SetValue(v);
        set->AddItem(value, v > 3 ? "d" : "c");
    }
    EXPECT_EQ(kept->GetValue(), 2.0);  // a holder's element is left as it was
    ASSERT_EQ(set->GetItemCount(), 2);
    EXPECT_EQ(set->GetItem(0), alone);
    EXPECT_NE(set->GetItem(1), static_cast<IDatatype*>(kept));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(i))->GetValue(), 3.0 + i);
        EXPECT_EQ(set->GetItem(i)->GetTimestamp(), 30);
        EXPECT_STREQ(set->GetItemLabel(i), i ? "d" : "c");
    }
    // Retyped, the set takes values of the new class only, whatever it kept.
    set->ClearItems();
    Type("int");
    EXPECT_THROW(set->AddItem(value, "x"), ILogicException);
    auto number = NewDatatype<IInt>(kernel, "int");
    set->AddItem(number, "n");
    EXPECT_NE(dynamic_cast<IInt*>(set->GetItem(0)), nullptr);
}

TEST_F(LabelledSetTest, KeptElementsAreNeitherItemsNorFormsAndAreReusedInOrder) {
    Type("double");
    std::vector<IDatatype*> before;
    for (double v : {1.0, 2.0, 3.0}) {
        value->SetValue(v);
        set->AddItem(value, "old");
        before.push_back(set->GetItem(set->GetItemCount() - 1));
    }
    Held<IDouble> held(set->GetItem(1));  // the middle one stays with its holder
    set->ClearItems();
    const std::string emptyText = TextOf(set);
    EXPECT_EQ(set->GetItemCount(), 0);
    EXPECT_THROW(set->GetItem(0), ICollectionException);
    EXPECT_THROW(set->GetItemLabel(0), ICollectionException);
    EXPECT_EQ(emptyText, R"({"element":["kernel","double"],"items":[]})");
    ProducedBinary binary(set);
    auto loaded = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(loaded->UnserializeBinary(binary.get()));
    EXPECT_EQ(loaded->GetItemCount(), 0);
    for (double v : {4.0, 5.0, 6.0}) {
        value->SetValue(v);
        set->AddItem(value, "new");
    }
    ASSERT_EQ(set->GetItemCount(), 3);
    EXPECT_EQ(set->GetItem(0), before[0]);
    EXPECT_EQ(set->GetItem(1), before[2]);
    EXPECT_NE(set->GetItem(2), static_cast<IDatatype*>(held));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(i))->GetValue(), 4.0 + i);
    EXPECT_EQ(held->GetValue(), 2.0);
    // A refused value leaves the items and the kept elements as they were.
    set->ClearItems();
    set->AddItem(value, "one");
    auto text = NewDatatype<IString>(kernel, "string");
    EXPECT_THROW(set->AddItem(text, "refused"), ILogicException);
    ASSERT_EQ(set->GetItemCount(), 1);
    EXPECT_EQ(set->GetItem(0), before[0]);
    value->SetValue(7.0);
    set->AddItem(value, "two");
    EXPECT_EQ(set->GetItem(1), before[2]);
}

// An element handed out by GetItem is asked whether others hold it when the set is next
// emptied; released again, it is reused, and after that it counts as the set's alone until
// it is handed out once more.
TEST_F(LabelledSetTest, HandedOutElementIsReusedOnceReleased) {
    Type("double");
    value->SetValue(1.0);
    set->AddItem(value, "a");
    IDatatype* first = set->GetItem(0);
    for (int round = 0; round < 3; ++round) {
        set->ClearItems();
        value->SetValue(2.0 + round);
        set->AddItem(value, "a");
        EXPECT_EQ(set->GetItem(0), first) << round;
    }
    {
        Held<IDouble> holder(set->GetItem(0));
        set->ClearItems();
        value->SetValue(9.0);
        set->AddItem(value, "a");
        EXPECT_EQ(holder->GetValue(), 4.0);
        EXPECT_NE(set->GetItem(0), static_cast<IDatatype*>(holder));
    }
    // A set copied from this one holds elements of its own: emptying and refilling the
    // source leaves the copy's values as they were.
    auto copy = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    copy->InitInstance(Typing(kernel, "kernel", "double"));
    copy->CopyFrom(set);
    set->ClearItems();
    value->SetValue(10.0);
    set->AddItem(value, "a");
    ASSERT_EQ(copy->GetItemCount(), 1);
    EXPECT_EQ(dynamic_cast<IDouble*>(copy->GetItem(0))->GetValue(), 9.0);
    EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(0))->GetValue(), 10.0);
}

// A kept element is finalised and configured again whenever the value or the element has
// init information: a nested set typed by its first value loses that typing when an
// untyped value follows, and stays untyped for the next untyped one.
TEST_F(LabelledSetTest, KeptElementTakesTheConfigurationOfEachValue) {
    Type("labeled_set");
    auto inner = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    inner->InitInstance(Typing(kernel, "kernel", "double"));
    value->SetValue(1.5);
    inner->AddItem(value, "x");
    set->AddItem(inner, "typed");
    IDatatype* element = set->GetItem(0);
    EXPECT_STREQ(dynamic_cast<ILabelledSet*>(element)->GetElementClassId(), "double");
    auto untyped = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    auto number = NewDatatype<IInt>(kernel, "int");
    untyped->AddItem(number, "n");
    for (int round = 0; round < 2; ++round) {
        set->ClearItems();
        set->AddItem(untyped, "untyped");
        ASSERT_EQ(set->GetItem(0), element) << round;  // the same element, reused
        auto* nested = dynamic_cast<ILabelledSet*>(set->GetItem(0));
        EXPECT_STREQ(nested->GetElementClassId(), "") << round;
        EXPECT_EQ(nested->GetInitInfo(), nullptr) << round;
        EXPECT_EQ(TextOf(nested), TextOf(untyped)) << round;
    }
    set->ClearItems();
    set->AddItem(inner, "typed again");
    EXPECT_STREQ(dynamic_cast<ILabelledSet*>(set->GetItem(0))->GetElementClassId(), "double");
    EXPECT_EQ(TextOf(set->GetItem(0)), TextOf(inner));
}

// Labels are checked for UTF-8 eight bytes at a time: a byte beyond ASCII at any position
// of labels of every length up to three words is found, and the label is then taken
// exactly when it is UTF-8.
TEST_F(LabelledSetTest, LabelCheckFindsBytesBeyondAsciiAtEveryPosition) {
    Type("double");
    for (std::size_t length = 1; length <= 24; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string label(length, 'x');
            label[at] = '\xff';
            EXPECT_THROW(set->AddItem(value, label.c_str()), IException) << length << " " << at;
            if (at + 1 < length) {
                label[at] = '\xc3';
                label[at + 1] = '\xa9';
                set->AddItem(value, label.c_str());
                EXPECT_EQ(set->GetItemLabel(set->GetItemCount() - 1), label) << length << " " << at;
            }
        }
        const std::string plain(length, 'y');
        set->AddItem(value, plain.c_str());
        EXPECT_EQ(set->GetItemLabel(set->GetItemCount() - 1), plain);
    }
    set->AddItem(value, "");
    set->AddItem(value, nullptr);
    EXPECT_STREQ(set->GetItemLabel(set->GetItemCount() - 1), "");
}

TEST_F(LabelledSetTest, SetsOfTheSameTypingCopyAsTheirBinaryFormLoads) {
    Type("double");
    value->SetTimestamp(10);
    for (double v : {1.5, -2.0}) {
        value->SetValue(v);
        set->AddItem(value, "v");
    }
    auto copy = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    copy->InitInstance(Typing(kernel, "kernel", "double"));
    copy->AddItem(value, "replaced");
    // The second copy reuses the elements the first one replaced, the stamped one included.
    for (int round = 0; round < 2; ++round) {
        copy->CopyFrom(set);
        EXPECT_EQ(TextOf(copy), TextOf(set));
        ASSERT_EQ(copy->GetItemCount(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_NE(copy->GetItem(i), set->GetItem(i));
            // Loading a form gives each element the times of a new one: only values travel.
            EXPECT_EQ(copy->GetItem(i)->GetTimestamp(), kUnsetTime);
        }
    }
    auto otherTyping = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    otherTyping->InitInstance(Typing(kernel, "kernel", "int"));
    EXPECT_THROW(otherTyping->CopyFrom(set), ILogicException);

    auto mixed = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    auto text = NewDatatype<IString>(kernel, "string");
    text->SetValue("t");
    mixed->AddItem(value, "d");
    mixed->AddItem(text, "s");
    auto mixedCopy = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    mixedCopy->CopyFrom(mixed);
    EXPECT_EQ(TextOf(mixedCopy), TextOf(mixed));
}

TEST_F(LabelledSetTest, TextFormEscapesAsTheJsonLibraryDoes) {
    using nlohmann::json;
    Type("string");
    auto item = NewDatatype<IString>(kernel, "string");
    json items = json::array();
    const auto add = [&](const std::string& label, const std::string& content) {
        item->SetValue(content.c_str());
        set->AddItem(item, label.c_str());
        items.push_back(json{{"label", label}, {"value", content}});
    };
    std::string ascii;
    for (int c = 1; c < 128; ++c) ascii += static_cast<char>(c);
    add(ascii, ascii);
    add("", "");
    // Bytes to escape at every position of long plain runs (the writer skips plain bytes
    // eight at a time).
    std::mt19937 random(29);
    const std::string special = "\"\\\n\x01\x1f\x7f ~";
    for (int i = 0; i < 200; ++i) {
        std::string label(random() % 40, 'a');
        for (char& c : label) c = random() % 8 ? static_cast<char>('a' + random() % 26) : special[random() % special.size()];
        add(label, label + "x");
    }
    add("caf\xc3\xa9 \xe2\x82\xac", "\xf0\x9f\x98\x80");  // UTF-8 goes through the library
    EXPECT_EQ(TextOf(set), json({{"element", {"kernel", "string"}}, {"items", items}}).dump());
    // A label read from a form may hold a zero character: it is written whole.
    auto loaded = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    const std::string withZero = R"({"element":["kernel","string"],"items":[{"label":"a\u0000b","value":"v"}]})";
    ASSERT_TRUE(loaded->UnserializeString(withZero.c_str()));
    EXPECT_EQ(TextOf(loaded), withZero);
    // Not UTF-8: refused as it is added, so the set is still written.
    EXPECT_THROW(set->AddItem(item, "\xff"), IException);
    EXPECT_EQ(TextOf(set), json({{"element", {"kernel", "string"}}, {"items", items}}).dump());
}

TEST_F(LabelledSetTest, RepeatedItemsFollowTheirLabelsAndTheTextFollowsTheTyping) {
    Type("double");
    // Round after round the same items come: the kept elements take them. A label of the
    // same length but other characters still counts.
    const std::vector<std::vector<const char*>> rounds = {{"lo", "hi"}, {"lo", "hi"}, {"lo", "ho"}, {"lo", "hi"}};
    for (std::size_t round = 0; round < rounds.size(); ++round) {
        set->ClearItems();
        for (const char* label : rounds[round]) {
            value->SetValue(static_cast<double>(round));
            set->AddItem(value, label);
        }
        ASSERT_EQ(set->GetItemCount(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_STREQ(set->GetItemLabel(i), rounds[round][i]) << round;
            EXPECT_EQ(dynamic_cast<IDouble*>(set->GetItem(i))->GetValue(), static_cast<double>(round));
        }
    }
    // A label that is not UTF-8 is refused even where a kept element waits with a label of
    // its length.
    set->ClearItems();
    set->AddItem(value, "lo");
    EXPECT_THROW(set->AddItem(value, "\xff\xfe"), IException);
    EXPECT_EQ(set->GetItemCount(), 1);

    // The text, also as the host's readers append it, names the typing of the moment.
    std::string appended = "before:";
    vtxhost::AppendTextOf(set, appended);
    EXPECT_EQ(appended, "before:" + TextOf(set));
    EXPECT_EQ(nlohmann::json::parse(TextOf(set))["element"][1], "double");
    set->ClearItems();
    Type("int");
    auto number = NewDatatype<IInt>(kernel, "int");
    number->SetValue(7);
    set->AddItem(number, "n");
    EXPECT_EQ(TextOf(set), R"({"element":["kernel","int"],"items":[{"label":"n","value":"7"}]})");
    set->DoneInstance();
    EXPECT_EQ(TextOf(set), R"({"element":["",""],"items":[]})");
    // Any other kernel value appends what its text form holds; a writer that remembers the
    // kind of the last value follows a change of kind.
    std::string single;
    vtxhost::AppendTextOf(number, single);
    EXPECT_EQ(single, "7");
    vtxhost::AppendTextOf(nullptr, single);
    EXPECT_EQ(single, "7");
    vtxhost::CTextAppender writer;
    for (int round = 0; round < 3; ++round) {
        std::string both;
        writer.Append(set, both);
        writer.Append(number, both);
        writer.Append(set, both);
        EXPECT_EQ(both, TextOf(set) + "7" + TextOf(set));
    }
}

} // namespace
