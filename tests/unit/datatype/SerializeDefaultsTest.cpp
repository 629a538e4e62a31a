// The default forms of CSerializeImpl, seen through datatypes that implement the binary
// form only, the text form only, or neither.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/unit/datatype/DatatypeTestKit.h"

using namespace Vtx;
using namespace datatype_test;

namespace {

class SerializeDefaults : public ::testing::Test {
protected:
    SerializeDefaults() { RegisterTestDatatypes(kernel); }

    template <class T>
    Ref<T> Make() {
        return Ref<T>(kernel.Create<T>(kTestCatalog, T::kClassId));
    }

    static std::string TextOf(ISerialize* object) {
        ProducedText text(object);
        return text ? text.get() : "(null)";
    }

    TestKernel kernel;
};

} // namespace

TEST_F(SerializeDefaults, BinaryOnlyClassGetsTheHexTextForm) {
    Ref<BinaryOnlyDatatype> value = Make<BinaryOnlyDatatype>();
    value->bytes = {0x01, 0xab, 0x00};
    EXPECT_EQ(TextOf(value.get()), "0x01ab00");
    Ref<BinaryOnlyDatatype> loaded = Make<BinaryOnlyDatatype>();
    EXPECT_TRUE(loaded->UnserializeString("0x01AB00"));
    EXPECT_EQ(loaded->bytes, value->bytes);

    // Malformed texts are refused without reaching the binary loader; the empty text and
    // null are accepted and change nothing.
    for (const char* text : {"0x1", "1x01", "0X01", "0x0g", "hello"}) EXPECT_FALSE(loaded->UnserializeString(text)) << text;
    EXPECT_TRUE(loaded->UnserializeString(""));
    EXPECT_TRUE(loaded->UnserializeString(nullptr));
    EXPECT_EQ(loaded->bytes, value->bytes);
    EXPECT_EQ(loaded->binaryLoads, 1);

    // A binary form of size 0 is the empty text; the bare prefix loads it back.
    loaded->bytes.clear();
    EXPECT_EQ(TextOf(loaded.get()), "");
    EXPECT_TRUE(value->UnserializeString("0x"));
    EXPECT_TRUE(value->bytes.empty());
}

TEST_F(SerializeDefaults, TextOnlyClassGetsItsCharactersAsBinaryForm) {
    Ref<TextOnlyDatatype> value = Make<TextOnlyDatatype>();
    value->text = "a,b";
    EXPECT_EQ(PayloadOf(ProducedBinary(value.get())), (std::vector<std::uint8_t>{'a', ',', 'b'}));
    value->text.clear();
    EXPECT_FALSE(ProducedBinary(value.get()));

    // Loading takes the payload up to its first zero; the text loader's refusal is the result.
    OwnedSerializeBuffer buffer = MakeBuffer({'a', 'b', 0, 'c'});
    EXPECT_TRUE(value->UnserializeBinary(buffer.get()));
    EXPECT_EQ(value->text, "ab");
    buffer = MakeBuffer({'!', 'x'});
    EXPECT_FALSE(value->UnserializeBinary(buffer.get()));
    EXPECT_EQ(value->text, "ab");
    // Null and empty buffers are accepted without reaching the text loader.
    const int loads = value->textLoads;
    buffer = MakeBuffer({});
    EXPECT_TRUE(value->UnserializeBinary(buffer.get()));
    EXPECT_TRUE(value->UnserializeBinary(nullptr));
    EXPECT_EQ(value->textLoads, loads);
}

TEST_F(SerializeDefaults, ClassWithNeitherFormHasNoForm) {
    Ref<NoFormDatatype> value = Make<NoFormDatatype>();
    Ref<NoFormDatatype> other = Make<NoFormDatatype>();
    EXPECT_FALSE(ProducedBinary(value.get()));
    EXPECT_FALSE(ProducedText(value.get()));
    // Re-entry through the other form is refused...
    OwnedSerializeBuffer buffer = MakeBuffer({'x', 'y'});
    EXPECT_FALSE(value->UnserializeBinary(buffer.get()));
    EXPECT_FALSE(value->UnserializeString("0x01"));
    EXPECT_FALSE(value->UnserializeString("text"));
    // ...while the forms that carry no value are accepted.
    buffer = MakeBuffer({0, 'y'});
    EXPECT_TRUE(value->UnserializeBinary(buffer.get()));
    EXPECT_TRUE(value->UnserializeString("0x"));
    EXPECT_TRUE(value->IsEqual(other.get()));
    EXPECT_NO_THROW(value->CopyFrom(other.get()));
    // The flags are down again after every call: the same answers a second time.
    EXPECT_FALSE(ProducedBinary(value.get()));
    EXPECT_FALSE(value->UnserializeString("0x01"));
}

TEST_F(SerializeDefaults, CopyFromGoesThroughTheSourcesBinaryForm) {
    Ref<BinaryOnlyDatatype> source = Make<BinaryOnlyDatatype>();
    Ref<TextOnlyDatatype> textTarget = Make<TextOnlyDatatype>();
    source->bytes = {'h', 'i'};
    textTarget->CopyFrom(source.get());
    EXPECT_EQ(textTarget->text, "hi");
    Ref<BinaryOnlyDatatype> binaryTarget = Make<BinaryOnlyDatatype>();
    binaryTarget->CopyFrom(textTarget.get());
    EXPECT_EQ(binaryTarget->bytes, source->bytes);
    // A source without a binary form copies and changes nothing.
    binaryTarget->CopyFrom(Make<NoFormDatatype>().get());
    EXPECT_EQ(binaryTarget->bytes, source->bytes);

    // Null and a refused form are logic exceptions that leave the target alone.
    EXPECT_EQ(LogicMessage([&] { textTarget->CopyFrom(nullptr); }), "Null pointer to serializable object.\n");
    Ref<TextOnlyDatatype> refused = Make<TextOnlyDatatype>();
    refused->text = "!refused";
    EXPECT_EQ(LogicMessage([&] { textTarget->CopyFrom(refused.get()); }), "Unserialize failed.\n");
    EXPECT_EQ(textTarget->text, "hi");
}

TEST_F(SerializeDefaults, IsEqualComparesBinaryForms) {
    Ref<BinaryOnlyDatatype> a = Make<BinaryOnlyDatatype>();
    Ref<BinaryOnlyDatatype> b = Make<BinaryOnlyDatatype>();
    Ref<TextOnlyDatatype> text = Make<TextOnlyDatatype>();
    Ref<NoFormDatatype> none = Make<NoFormDatatype>();
    EXPECT_FALSE(a->IsEqual(nullptr));
    EXPECT_TRUE(a->IsEqual(a.get()));
    a->bytes = {1, 2};
    b->bytes = {1, 2, 0};
    EXPECT_FALSE(a->IsEqual(b.get()));  // sizes differ
    b->bytes = {1, 3};
    EXPECT_FALSE(a->IsEqual(b.get()));
    b->bytes = {1, 2};
    EXPECT_TRUE(a->IsEqual(b.get()));
    // Different classes with the same binary form are equal.
    a->bytes = {'o', 'k'};
    text->text = "ok";
    EXPECT_TRUE(a->IsEqual(text.get()));
    EXPECT_TRUE(text->IsEqual(a.get()));
    // Exactly one without a form: not equal.
    EXPECT_FALSE(a->IsEqual(none.get()));
    EXPECT_FALSE(none->IsEqual(a.get()));
}

TEST_F(SerializeDefaults, StandardExceptionsOfAFormReachTheHostTranslated) {
    Ref<TextOnlyDatatype> value = Make<TextOnlyDatatype>();
    value->throwOnSerialize = true;
    try {
        value->SerializeBinary();
        FAIL() << "no exception";
    } catch (IException& e) {
        EXPECT_STREQ(e.GetMessageText(), "text unavailable");
    }
    Ref<BinaryOnlyDatatype> target = Make<BinaryOnlyDatatype>();
    EXPECT_THROW(target->CopyFrom(value.get()), IException);
    EXPECT_THROW(target->IsEqual(value.get()), IException);
    // The busy flag went down with the exception.
    value->throwOnSerialize = false;
    value->text = "back";
    EXPECT_EQ(PayloadOf(ProducedBinary(value.get())), (std::vector<std::uint8_t>{'b', 'a', 'c', 'k'}));
}

