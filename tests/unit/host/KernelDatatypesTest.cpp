#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "vtx/Exception.h"

#include "host/KernelDatatypeBase.h"
#include "host/KernelServices.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;
using vtxhost::CKernelServices;

namespace {

// One reference on a new kernel datatype, converted to its interface.
template <class I>
struct Held {
    Held(CKernelServices& kernel, const char* classId, const char* catalogId = "kernel")
        : object(kernel.CreateDatatype(catalogId, classId)) {
        if (object) object->AddRef();
        typed = dynamic_cast<I*>(object);
    }
    ~Held() {
        if (object) object->Release();
    }
    I* operator->() const { return typed; }
    IDatatype* object;
    I* typed;
};

std::string TextOf(ISerialize* object) {
    ProducedText text(object);
    return text ? text.get() : "<null>";
}

// The text and the binary form both load back into a fresh object of the class to an
// equal value with the same text.
template <class I>
void ExpectBothFormsRoundTrip(CKernelServices& kernel, const char* classId, IDatatype* value) {
    const std::string text = TextOf(value);
    Held<I> fromText(kernel, classId);
    ASSERT_TRUE(fromText.object->UnserializeString(text.c_str())) << text;
    EXPECT_TRUE(fromText.object->IsEqual(value)) << text;
    EXPECT_EQ(TextOf(fromText.object), text);

    Held<I> fromBinary(kernel, classId);
    ProducedBinary binary(value);
    ASSERT_TRUE(binary);
    ASSERT_TRUE(fromBinary.object->UnserializeBinary(binary.get()));
    EXPECT_TRUE(fromBinary.object->IsEqual(value));
    EXPECT_EQ(TextOf(fromBinary.object), text);
}

TEST(KernelDatatypes, EveryKernelClassIsCreatedWithItsInterfaceAndIdentity) {
    CKernelServices kernel;
    const char* classes[] = {"double",      "int",         "bool", "string", "trigger", "labeled_set",
                             "generic_datatype", "scalar_arith_op_double", "string_pair"};
    for (const char* classId : classes) {
        Held<IDatatype> value(kernel, classId);
        ASSERT_NE(value.object, nullptr) << classId;
        EXPECT_EQ(vtxhost::ClassIdOf(value.object), classId);
        EXPECT_EQ(vtxhost::CatalogIdOf(value.object), "kernel");
        EXPECT_EQ(value->GetTimestamp(), kUnsetTime);
        EXPECT_EQ(value->GetTimeD(), 0);
        EXPECT_EQ(value->GetTimeFactor(), 1.0);
    }
    EXPECT_NE(Held<IDouble>(kernel, "double").typed, nullptr);
    EXPECT_NE(Held<IInt>(kernel, "int").typed, nullptr);
    EXPECT_NE(Held<IBool>(kernel, "bool").typed, nullptr);
    EXPECT_NE(Held<IString>(kernel, "string").typed, nullptr);
    EXPECT_NE(Held<ITrigger>(kernel, "trigger").typed, nullptr);
    EXPECT_NE(Held<ILabelledSet>(kernel, "labeled_set").typed, nullptr);
    EXPECT_NE(Held<IGenericDatatype>(kernel, "generic_datatype").typed, nullptr);
    EXPECT_NE(Held<IScalarArithOpDouble>(kernel, "scalar_arith_op_double").typed, nullptr);
    EXPECT_NE(Held<IStringPair>(kernel, "string_pair").typed, nullptr);
    EXPECT_EQ(kernel.CreateDatatype("kernel", "Double"), nullptr);
    EXPECT_EQ(kernel.CreateDatatype("nowhere", "double"), nullptr);
    EXPECT_EQ(kernel.CreateDatatype(nullptr, nullptr), nullptr);
}

TEST(KernelDatatypes, DoubleTextIsShortestExactAndStrict) {
    CKernelServices kernel;
    Held<IDouble> d(kernel, "double");
    for (double v : {0.0, -0.0, 1.5, 0.1, -2.5e-300, 1e300, std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::infinity()}) {
        d->SetValue(v);
        ExpectBothFormsRoundTrip<IDouble>(kernel, "double", d.object);
    }
    d->SetValue(0.1);
    EXPECT_EQ(TextOf(d.object), "0.1");
    d->SetValue(-0.0);
    EXPECT_EQ(TextOf(d.object), "-0");
    d->SetValue(std::nan(""));
    EXPECT_EQ(TextOf(d.object), "nan");
    // A NaN of any payload reads back from its text to a value equal to itself.
    Held<IDouble> nan(kernel, "double");
    for (const char* text : {"-nan", "nan(123)", "NAN"}) {
        ASSERT_TRUE(nan.object->UnserializeString(text)) << text;
        ExpectBothFormsRoundTrip<IDouble>(kernel, "double", nan.object);
    }

    d->SetValue(7.0);
    for (const char* bad : {"", "1.5x", " 1", "abc", "1,5", "--1"}) {
        EXPECT_FALSE(d.object->UnserializeString(bad)) << bad;
        EXPECT_EQ(d->GetValue(), 7.0) << bad;
    }
    EXPECT_TRUE(d.object->UnserializeString("+2.25"));
    EXPECT_EQ(d->GetValue(), 2.25);
}

TEST(KernelDatatypes, IntTextRefusesOverflowAndFractions) {
    CKernelServices kernel;
    Held<IInt> i(kernel, "int");
    for (std::int32_t v : {0, -1, 42, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        i->SetValue(v);
        ExpectBothFormsRoundTrip<IInt>(kernel, "int", i.object);
    }
    i->SetValue(5);
    for (const char* bad : {"2147483648", "-2147483649", "1.0", "", "0x10", "1 "}) {
        EXPECT_FALSE(i.object->UnserializeString(bad)) << bad;
        EXPECT_EQ(i->GetValue(), 5);
    }
    ProducedBinary binary(i.object);
    EXPECT_EQ(binary.size(), 4u);
}

TEST(KernelDatatypes, BoolStringTriggerAndPairForms) {
    CKernelServices kernel;
    Held<IBool> b(kernel, "bool");
    b->SetValue(true);
    EXPECT_EQ(TextOf(b.object), "true");
    ExpectBothFormsRoundTrip<IBool>(kernel, "bool", b.object);
    EXPECT_TRUE(b.object->UnserializeString("0"));
    EXPECT_FALSE(b->GetValue());
    EXPECT_FALSE(b.object->UnserializeString("yes"));

    Held<IString> s(kernel, "string");
    s->SetValue("with, \"quotes\" and\nnewline");
    ExpectBothFormsRoundTrip<IString>(kernel, "string", s.object);
    s->SetValue(nullptr);
    EXPECT_STREQ(s->GetValue(), "");
    // A binary payload with a zero byte cannot be a C text.
    std::string payload("a\0b", 3);
    SerializeBuffer* buffer = vtxhost::MakeSerializeBuffer(payload);
    EXPECT_FALSE(s.object->UnserializeBinary(buffer));
    std::free(buffer);

    Held<ITrigger> t(kernel, "trigger");
    Held<ITrigger> u(kernel, "trigger");
    t->Fire();
    t->Fire();
    EXPECT_EQ(t->GetFireCount(), 2);
    EXPECT_FALSE(t.object->IsEqual(u.object));
    ExpectBothFormsRoundTrip<ITrigger>(kernel, "trigger", t.object);

    Held<IStringPair> p(kernel, "string_pair");
    p->SetFirst("key \"one\"");
    p->SetSecond("");
    ExpectBothFormsRoundTrip<IStringPair>(kernel, "string_pair", p.object);
    EXPECT_EQ(TextOf(p.object), "[\"key \\\"one\\\"\",\"\"]");
    EXPECT_FALSE(p.object->UnserializeString("[\"only one\"]"));
    EXPECT_STREQ(p->GetFirst(), "key \"one\"");
}

TEST(KernelDatatypes, ScalarOperationAppliesAndRefusesUnknownOperators) {
    CKernelServices kernel;
    Held<IScalarArithOpDouble> op(kernel, "scalar_arith_op_double");
    ASSERT_TRUE(op.object->UnserializeString("*2.5"));
    EXPECT_EQ(op->Apply(4.0), 10.0);
    ExpectBothFormsRoundTrip<IScalarArithOpDouble>(kernel, "scalar_arith_op_double", op.object);
    EXPECT_TRUE(op.object->UnserializeString("/-4"));
    EXPECT_EQ(op->Apply(2.0), -0.5);
    EXPECT_FALSE(op.object->UnserializeString("%2"));
    EXPECT_FALSE(op.object->UnserializeString("+"));
    EXPECT_EQ(op->GetOperator(), '/');
    EXPECT_THROW(op->SetOperator('^'), ILogicException);
}

TEST(KernelDatatypes, CopyCarriesValueAndRefusesOtherClasses) {
    CKernelServices kernel;
    Held<IDouble> a(kernel, "double");
    Held<IDouble> b(kernel, "double");
    Held<IString> s(kernel, "string");
    a->SetValue(3.25);
    a->SetTimestamp(77);
    b.object->CopyFrom(a.object);
    EXPECT_EQ(b->GetValue(), 3.25);
    // CopyFrom moves the value only; the block framework copies times itself.
    EXPECT_EQ(b->GetTimestamp(), kUnsetTime);
    vtxhost::CopyValueAndTime(b.object, a.object);
    EXPECT_EQ(b->GetTimestamp(), 77);

    s->SetValue("x");
    EXPECT_THROW(a.object->CopyFrom(s.object), ILogicException);
    EXPECT_EQ(a->GetValue(), 3.25);
    EXPECT_THROW(a.object->CopyFrom(nullptr), ILogicException);
    EXPECT_FALSE(a.object->IsEqual(nullptr));

    b->SetValue(-1.0);
    b->SetTimestamp(5);
    a.object->Swap(b.object);
    EXPECT_EQ(a->GetValue(), -1.0);
    EXPECT_EQ(b->GetValue(), 3.25);
    EXPECT_EQ(a->GetTimestamp(), 77);
    EXPECT_EQ(b->GetTimestamp(), 5);
}

TEST(KernelDatatypes, GenericHoldsACopyOfAnyDatatype) {
    CKernelServices kernel;
    Held<IGenericDatatype> g(kernel, "generic_datatype");
    EXPECT_EQ(g->GetContent(), nullptr);
    EXPECT_EQ(TextOf(g.object), "{}");
    Held<IInt> i(kernel, "int");
    i->SetValue(9);
    g.object->CopyFrom(i.object);
    ASSERT_NE(g->GetContent(), nullptr);
    EXPECT_NE(g->GetContent(), i.object);
    i->SetValue(10);
    EXPECT_EQ(dynamic_cast<IInt*>(g->GetContent())->GetValue(), 9);
    ExpectBothFormsRoundTrip<IGenericDatatype>(kernel, "generic_datatype", g.object);
    EXPECT_FALSE(g.object->UnserializeString("{\"catalog\":\"kernel\",\"class\":\"int\",\"value\":\"x\"}"));
    EXPECT_FALSE(g.object->UnserializeString("{\"catalog\":\"kernel\",\"class\":\"nothing\",\"value\":\"1\"}"));
    EXPECT_EQ(dynamic_cast<IInt*>(g->GetContent())->GetValue(), 9);
    g->SetContent(nullptr);
    EXPECT_EQ(g->GetContent(), nullptr);
}

} // namespace
