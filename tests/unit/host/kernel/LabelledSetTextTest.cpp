// The labelled set's text and binary forms refuse every malformed input by answering false,
// never with an exception of the JSON library; a label that is not UTF-8 is refused where
// it comes in, so that writing the set can never fail on it.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/host/HeldObject.h"
#include "vtx/Exception.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;

namespace {

struct LabelledSetTextTest : ::testing::Test {
    vtxhost::CKernelServices kernel;
    Held<ILabelledSet> set = NewDatatype<ILabelledSet>(kernel, "labeled_set");
};

TEST_F(LabelledSetTextTest, EveryMalformedTextIsRefusedWithoutAnException) {
    const char* texts[] = {
        R"({"items":[{"label":1,"value":"2"}]})",  // a label that is a number
        R"({"items":[{"label":null,"value":"2"}]})",
        R"({"items":[{"label":"a","catalog":7,"class":"double","value":"2"}]})",
        R"({"items":[{"label":"a","catalog":"kernel","class":["double"],"value":"2"}]})",
        R"({"items":[{"label":"a","catalog":"kernel","class":"no_such_class","value":"2"}]})",
        R"({"items":[{"label":"a","value":2}]})",
        R"({"items":[{"label":"a"}]})",
        R"({"items":[7]})",
        R"({"items":{}})",
        R"({"element":["kernel"],"items":[]})",
        R"({"element":"kernel/double","items":[]})",
        R"([])",
        "{\"items\":[{\"label\":\"\xff\",\"value\":\"2\"}]}",  // not UTF-8: no JSON text
        "",
    };
    for (const char* text : texts) {
        bool loaded = true;
        EXPECT_NO_THROW(loaded = set->UnserializeString(text)) << text;
        EXPECT_FALSE(loaded) << text;
    }
    // The well-formed text of the same shapes loads.
    EXPECT_TRUE(set->UnserializeString(
        R"({"element":["",""],"items":[{"label":"a","catalog":"kernel","class":"double","value":"2"},{"catalog":"kernel","class":"int","value":"3"}]})"));
    ASSERT_EQ(set->GetItemCount(), 2);
    EXPECT_STREQ(set->GetItemLabel(1), "");
}

TEST_F(LabelledSetTextTest, ALabelThatIsNotUtf8IsRefusedWhereItComesIn) {
    Held<IDouble> value = NewDatatype<IDouble>(kernel, "double");
    set->AddItem(value, "caf\xc3\xa9");  // UTF-8
    try {
        set->AddItem(value, "caf\xe9");  // Latin-1
        ADD_FAILURE() << "a label that is not UTF-8 was taken";
    } catch (IException& e) {
        EXPECT_STREQ(e.GetMessageText(), "a label of a labelled set must be UTF-8 text");
    }
    ASSERT_EQ(set->GetItemCount(), 1);
    // The set still writes its text form, which loads back.
    ProducedText text(set);
    Held<ILabelledSet> again = NewDatatype<ILabelledSet>(kernel, "labeled_set");
    ASSERT_TRUE(again->UnserializeString(text.get())) << text.get();
    EXPECT_STREQ(again->GetItemLabel(0), "caf\xc3\xa9");

    // The binary form of a set whose label was forged to Latin-1 is refused.
    ProducedBinary binary(set);
    std::string forged(reinterpret_cast<const char*>(binary.get()), GetSerializeBufferSize(binary.get()) + 4);
    const std::size_t at = forged.find("caf\xc3\xa9");
    ASSERT_NE(at, std::string::npos);
    forged[at + 3] = '\xe9';
    forged[at + 4] = '!';
    EXPECT_FALSE(again->UnserializeBinary(reinterpret_cast<const SerializeBuffer*>(forged.data())));
}

} // namespace
