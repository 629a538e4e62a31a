#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "host/kernel/KernelDatatypeBase.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/Exception.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;
using vtxhost::CKernelServices;

namespace {

// The text and the binary form both load back into a fresh object of the class to an
// equal value with the same text.
void ExpectBothFormsRoundTrip(CKernelServices& kernel, const char* classId, IDatatype* value) {
    const std::string text = TextOf(value);
    auto fromText = NewDatatype<IDatatype>(kernel, classId);
    ASSERT_TRUE(fromText->UnserializeString(text.c_str())) << text;
    EXPECT_TRUE(fromText->IsEqual(value)) << text;
    EXPECT_EQ(TextOf(fromText), text);

    auto fromBinary = NewDatatype<IDatatype>(kernel, classId);
    ProducedBinary binary(value);
    ASSERT_TRUE(binary);
    ASSERT_TRUE(fromBinary->UnserializeBinary(binary.get()));
    EXPECT_TRUE(fromBinary->IsEqual(value));
    EXPECT_EQ(TextOf(fromBinary), text);
}

TEST(KernelDatatypes, EveryKernelClassIsCreatedWithItsIdentityAndUnsetTimes) {
    CKernelServices kernel;
    for (const char* classId : {"double", "int", "bool", "string", "trigger", "labeled_set", "generic_datatype",
                                "scalar_arith_op_double", "string_pair"}) {
        SCOPED_TRACE(classId);
        auto value = NewDatatype<IDatatype>(kernel, classId);
        ASSERT_NE(value.get(), nullptr);
        EXPECT_EQ(vtxhost::ClassIdOf(value), classId);
        EXPECT_EQ(vtxhost::CatalogIdOf(value), "kernel");
        EXPECT_EQ(value->GetTimestamp(), kUnsetTime);
        EXPECT_EQ(value->GetTimeFactor(), 1.0);
    }
    EXPECT_EQ(kernel.CreateDatatype("kernel", "Double"), nullptr);
    EXPECT_EQ(kernel.CreateDatatype("nowhere", "double"), nullptr);
    EXPECT_EQ(kernel.CreateDatatype(nullptr, nullptr), nullptr);
}

// Every text of a class loads into a fresh object, reads back as its canonical text, and
// both forms of the value load back to an equal value; a refused text leaves the value as
// it was.
TEST(KernelDatatypes, TextFormsAreCanonicalRoundTripAndRefuseBadTexts) {
    struct Form {
        const char* text;
        const char* canonical;  // null: the text itself
    };
    struct Case {
        const char* classId;
        std::vector<Form> forms;
        std::vector<const char*> refused;
    };
    const Case cases[] = {
        {"double",
         {{"0.1", nullptr}, {"0", nullptr}, {"-0", nullptr}, {"1.5", nullptr}, {"-2.5e-300", nullptr},
          {"1e+300", nullptr}, {"1.7976931348623157e+308", nullptr}, {"5e-324", nullptr}, {"inf", nullptr},
          {"+2.25", "2.25"}, {"nan", nullptr}, {"-nan", nullptr}, {"nan(123)", "nan"}, {"NAN", "nan"}},
         {"", "1.5x", " 1", "abc", "1,5", "--1"}},
        {"int", {{"5", nullptr}, {"-1", nullptr}, {"-2147483648", nullptr}, {"2147483647", nullptr}},
         {"2147483648", "-2147483649", "1.0", "", "0x10", "1 "}},
        {"bool", {{"true", nullptr}, {"0", "false"}}, {"yes"}},
        {"string", {{"with, \"quotes\" and\nnewline", nullptr}, {"", nullptr}}, {}},
        {"string_pair", {{"[\"key \\\"one\\\"\",\"\"]", nullptr}}, {"[\"only one\"]"}},
        {"scalar_arith_op_double", {{"*2.5", nullptr}, {"/-4", nullptr}}, {"%2", "+"}},
        {"generic_datatype",
         {{"{\"catalog\":\"kernel\",\"class\":\"int\",\"value\":\"9\"}", nullptr}, {"{}", nullptr}},
         {"{\"catalog\":\"kernel\",\"class\":\"int\",\"value\":\"x\"}",
          "{\"catalog\":\"kernel\",\"class\":\"nothing\",\"value\":\"1\"}"}},
    };
    CKernelServices kernel;
    for (const Case& c : cases) {
        for (const Form& form : c.forms) {
            SCOPED_TRACE(std::string(c.classId) + " " + form.text);
            auto value = NewDatatype<IDatatype>(kernel, c.classId);
            ASSERT_TRUE(value->UnserializeString(form.text));
            EXPECT_EQ(TextOf(value), form.canonical ? form.canonical : form.text);
            ExpectBothFormsRoundTrip(kernel, c.classId, value);
        }
        auto value = NewDatatype<IDatatype>(kernel, c.classId);
        ASSERT_TRUE(value->UnserializeString(c.forms[0].text));
        const std::string before = TextOf(value);
        for (const char* bad : c.refused) {
            SCOPED_TRACE(std::string(c.classId) + " refuses " + bad);
            EXPECT_FALSE(value->UnserializeString(bad));
            EXPECT_EQ(TextOf(value), before);
        }
    }
}

TEST(KernelDatatypes, ValuesBehindTheForms) {
    CKernelServices kernel;
    auto d = NewDatatype<IDouble>(kernel, "double");
    d->SetValue(std::nan(""));
    EXPECT_EQ(TextOf(d), "nan");
    auto i = NewDatatype<IInt>(kernel, "int");
    EXPECT_EQ(ProducedBinary(i).size(), 4u);

    auto s = NewDatatype<IString>(kernel, "string");
    s->SetValue(nullptr);
    EXPECT_STREQ(s->GetValue(), "");
    // A binary payload with a zero byte cannot be a C text.
    SerializeBuffer* buffer = vtxhost::MakeSerializeBuffer(std::string("a\0b", 3));
    EXPECT_FALSE(s->UnserializeBinary(buffer));
    std::free(buffer);

    auto t = NewDatatype<ITrigger>(kernel, "trigger");
    auto u = NewDatatype<ITrigger>(kernel, "trigger");
    t->Fire();
    t->Fire();
    EXPECT_EQ(t->GetFireCount(), 2);
    EXPECT_FALSE(t->IsEqual(u));
    ExpectBothFormsRoundTrip(kernel, "trigger", t);

    auto op = NewDatatype<IScalarArithOpDouble>(kernel, "scalar_arith_op_double");
    ASSERT_TRUE(op->UnserializeString("*2.5"));
    EXPECT_EQ(op->Apply(4.0), 10.0);
    EXPECT_TRUE(op->UnserializeString("/-4"));
    EXPECT_EQ(op->Apply(2.0), -0.5);
    EXPECT_THROW(op->SetOperator('^'), ILogicException);
    EXPECT_EQ(op->GetOperator(), '/');
}

TEST(KernelDatatypes, CopyCarriesValueAndRefusesOtherClasses) {
    CKernelServices kernel;
    auto a = NewDatatype<IDouble>(kernel, "double");
    auto b = NewDatatype<IDouble>(kernel, "double");
    auto s = NewDatatype<IString>(kernel, "string");
    a->SetValue(3.25);
    a->SetTimestamp(77);
    b->CopyFrom(a);
    EXPECT_EQ(b->GetValue(), 3.25);
    // CopyFrom moves the value only; the block framework copies times itself.
    EXPECT_EQ(b->GetTimestamp(), kUnsetTime);
    vtxhost::CopyValueAndTime(b, a);
    EXPECT_EQ(b->GetTimestamp(), 77);

    EXPECT_THROW(a->CopyFrom(s), ILogicException);
    EXPECT_EQ(a->GetValue(), 3.25);
    EXPECT_THROW(a->CopyFrom(nullptr), ILogicException);
    EXPECT_FALSE(a->IsEqual(nullptr));

    b->SetValue(-1.0);
    b->SetTimestamp(5);
    a->Swap(b);
    EXPECT_EQ(a->GetValue(), -1.0);
    EXPECT_EQ(b->GetValue(), 3.25);
    EXPECT_EQ(a->GetTimestamp(), 77);
    EXPECT_EQ(b->GetTimestamp(), 5);
}

TEST(KernelDatatypes, GenericHoldsACopyOfAnyDatatype) {
    CKernelServices kernel;
    auto g = NewDatatype<IGenericDatatype>(kernel, "generic_datatype");
    EXPECT_EQ(TextOf(g), "{}");
    auto i = NewDatatype<IInt>(kernel, "int");
    i->SetValue(9);
    g->CopyFrom(i);
    ASSERT_NE(g->GetContent(), nullptr);
    EXPECT_NE(g->GetContent(), static_cast<IDatatype*>(i));
    i->SetValue(10);
    EXPECT_EQ(dynamic_cast<IInt*>(g->GetContent())->GetValue(), 9);
    ExpectBothFormsRoundTrip(kernel, "generic_datatype", g);
    EXPECT_FALSE(g->UnserializeString("{\"catalog\":\"kernel\",\"class\":\"int\",\"value\":\"x\"}"));
    EXPECT_EQ(dynamic_cast<IInt*>(g->GetContent())->GetValue(), 9);
    g->SetContent(nullptr);
    EXPECT_EQ(g->GetContent(), nullptr);
}

} // namespace
