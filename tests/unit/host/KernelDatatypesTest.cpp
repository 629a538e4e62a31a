#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "host/KernelDatatypeBase.h"
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

TEST(KernelDatatypes, DoubleTextIsShortestExactAndStrict) {
    CKernelServices kernel;
    auto d = NewDatatype<IDouble>(kernel, "double");
    for (double v : {0.0, -0.0, 1.5, 0.1, -2.5e-300, 1e300, std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::infinity()}) {
        d->SetValue(v);
        ExpectBothFormsRoundTrip(kernel, "double", d);
    }
    d->SetValue(0.1);
    EXPECT_EQ(TextOf(d), "0.1");
    d->SetValue(-0.0);
    EXPECT_EQ(TextOf(d), "-0");
    d->SetValue(std::nan(""));
    EXPECT_EQ(TextOf(d), "nan");
    // A NaN of any payload reads back from its text to a value equal to itself.
    auto nan = NewDatatype<IDouble>(kernel, "double");
    for (const char* text : {"-nan", "nan(123)", "NAN"}) {
        ASSERT_TRUE(nan->UnserializeString(text)) << text;
        ExpectBothFormsRoundTrip(kernel, "double", nan);
    }

    d->SetValue(7.0);
    for (const char* bad : {"", "1.5x", " 1", "abc", "1,5", "--1"}) {
        EXPECT_FALSE(d->UnserializeString(bad)) << bad;
        EXPECT_EQ(d->GetValue(), 7.0) << bad;
    }
    EXPECT_TRUE(d->UnserializeString("+2.25"));
    EXPECT_EQ(d->GetValue(), 2.25);
}

TEST(KernelDatatypes, IntTextRefusesOverflowAndFractions) {
    CKernelServices kernel;
    auto i = NewDatatype<IInt>(kernel, "int");
    for (std::int32_t v : {0, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        i->SetValue(v);
        ExpectBothFormsRoundTrip(kernel, "int", i);
    }
    i->SetValue(5);
    for (const char* bad : {"2147483648", "-2147483649", "1.0", "", "0x10", "1 "}) {
        EXPECT_FALSE(i->UnserializeString(bad)) << bad;
        EXPECT_EQ(i->GetValue(), 5);
    }
    EXPECT_EQ(ProducedBinary(i).size(), 4u);
}

TEST(KernelDatatypes, BoolStringTriggerAndPairForms) {
    CKernelServices kernel;
    auto b = NewDatatype<IBool>(kernel, "bool");
    b->SetValue(true);
    EXPECT_EQ(TextOf(b), "true");
    ExpectBothFormsRoundTrip(kernel, "bool", b);
    EXPECT_TRUE(b->UnserializeString("0"));
    EXPECT_FALSE(b->GetValue());
    EXPECT_FALSE(b->UnserializeString("yes"));

    auto s = NewDatatype<IString>(kernel, "string");
    s->SetValue("with, \"quotes\" and\nnewline");
    ExpectBothFormsRoundTrip(kernel, "string", s);
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

    auto p = NewDatatype<IStringPair>(kernel, "string_pair");
    p->SetFirst("key \"one\"");
    p->SetSecond("");
    ExpectBothFormsRoundTrip(kernel, "string_pair", p);
    EXPECT_EQ(TextOf(p), "[\"key \\\"one\\\"\",\"\"]");
    EXPECT_FALSE(p->UnserializeString("[\"only one\"]"));
    EXPECT_STREQ(p->GetFirst(), "key \"one\"");
}

TEST(KernelDatatypes, ScalarOperationAppliesAndRefusesUnknownOperators) {
    CKernelServices kernel;
    auto op = NewDatatype<IScalarArithOpDouble>(kernel, "scalar_arith_op_double");
    ASSERT_TRUE(op->UnserializeString("*2.5"));
    EXPECT_EQ(op->Apply(4.0), 10.0);
    ExpectBothFormsRoundTrip(kernel, "scalar_arith_op_double", op);
    EXPECT_TRUE(op->UnserializeString("/-4"));
    EXPECT_EQ(op->Apply(2.0), -0.5);
    EXPECT_FALSE(op->UnserializeString("%2"));
    EXPECT_FALSE(op->UnserializeString("+"));
    EXPECT_EQ(op->GetOperator(), '/');
    EXPECT_THROW(op->SetOperator('^'), ILogicException);
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
    EXPECT_FALSE(g->UnserializeString("{\"catalog\":\"kernel\",\"class\":\"nothing\",\"value\":\"1\"}"));
    EXPECT_EQ(dynamic_cast<IInt*>(g->GetContent())->GetValue(), 9);
    g->SetContent(nullptr);
    EXPECT_EQ(g->GetContent(), nullptr);
}

} // namespace
