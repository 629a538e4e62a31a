// The Interval datatype: its two forms, their edge cases, copy, equality and creation.
#include <gtest/gtest.h>

#include <boost/lexical_cast.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "catalog/IntervalImpl.h"
#include "catalog/IntervalText.h"
#include "tests/unit/datatype/DatatypeTestKit.h"

using namespace Vtx;
using namespace datatype_test;

namespace {

std::uint64_t Bits(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<std::uint8_t> LittleEndian(std::uint64_t bits) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return bytes;
}

std::string Printf17(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// Another implementation of the same interface, which CopyFrom must refuse.
class ForeignInterval : public CDatatypeImpl<IInterval> {
public:
    using CDatatypeImpl::CDatatypeImpl;
    void SetLower(double) override {}
    void SetUpper(double) override {}
    double GetLower() override { return 7; }
    double GetUpper() override { return 8; }
};

class Interval : public ::testing::Test {
protected:
    Interval() {
        kernel.RegisterCreator(kIntervalCatalogId, kIntervalClassId, [](const OBJECT_CREATIONCTX* context) {
            return dynamic_cast<IDatatype*>(CreateIntervalObject(context));
        });
        kernel.Register<ForeignInterval>(kTestCatalog, "foreign_interval");
        RegisterTestDatatypes(kernel);
    }

    Ref<IInterval> Make(double lower = 0.0, double upper = 1.0) {
        Ref<IInterval> interval(kernel.Create<IInterval>(kIntervalCatalogId, kIntervalClassId));
        interval->SetLower(lower);
        interval->SetUpper(upper);
        return interval;
    }

    static std::string TextOf(IInterval* interval) {
        ProducedText text(interval);
        return text ? text.get() : "(null)";
    }

    // Lower and upper bit patterns after loading the text; "bad cast" when it throws.
    static std::string Load(IInterval* interval, const char* text) {
        try {
            return interval->UnserializeString(text) ? "true" : "false";
        } catch (const boost::bad_lexical_cast& e) {
            return e.what();
        }
    }

    TestKernel kernel;
};

} // namespace

TEST_F(Interval, BinaryFormIsLittleEndianBinary64) {
    Ref<IInterval> fresh(kernel.Create<IInterval>(kIntervalCatalogId, kIntervalClassId));
    EXPECT_EQ(Bits(fresh->GetLower()), Bits(0.0));
    EXPECT_EQ(TextOf(fresh.get()), "0,1");  // a new Interval is 0..1

    Ref<IInterval> interval = Make(1.0, -2.5);
    ProducedBinary form(interval.get());
    const auto* raw = reinterpret_cast<const std::uint8_t*>(form.get());
    EXPECT_EQ((std::vector<std::uint8_t>(raw, raw + 4)), (std::vector<std::uint8_t>{16, 0, 0, 0}));
    std::vector<std::uint8_t> expected = LittleEndian(0x3FF0000000000000ull);   // 1.0
    const std::vector<std::uint8_t> upper = LittleEndian(0xC004000000000000ull);  // -2.5
    expected.insert(expected.end(), upper.begin(), upper.end());
    EXPECT_EQ(PayloadOf(form), expected);
    EXPECT_TRUE(fresh->UnserializeBinary(form.get()));
    EXPECT_EQ(TextOf(fresh.get()), "1,-2.5");
    // Forms of another size are refused; null is accepted; neither changes the bounds.
    for (std::size_t size : {0u, 8u, 15u, 17u})
        EXPECT_FALSE(fresh->UnserializeBinary(MakeBuffer(std::vector<std::uint8_t>(size, 0x11)).get())) << size;
    EXPECT_TRUE(fresh->UnserializeBinary(nullptr));
    EXPECT_EQ(TextOf(fresh.get()), "1,-2.5");
}

TEST_F(Interval, BinaryRoundTripKeepsEveryBitPattern) {
    const std::vector<std::uint64_t> patterns = {
        0x7FF8000000000001ull,  // quiet NaN with a payload
        0x7FF0000000000001ull,  // signalling NaN
        0xFFFFFFFFFFFFFFFFull,  // negative NaN, full payload
        0x8000000000000000ull,  // -0.0
        0x0000000000000001ull,  // smallest subnormal
        0x7FF0000000000000ull,  // +inf
        0x0123456789ABCDEFull,
    };
    Ref<IInterval> source = Make();
    Ref<IInterval> target = Make();
    for (std::uint64_t pattern : patterns) {
        source->SetLower(FromBits(pattern));
        source->SetUpper(FromBits(~pattern));
        ProducedBinary form(source.get());
        ASSERT_TRUE(target->UnserializeBinary(form.get()));
        EXPECT_EQ(Bits(target->GetLower()), pattern);
        EXPECT_EQ(Bits(target->GetUpper()), ~pattern);
        EXPECT_TRUE(target->IsEqual(source.get()));
    }
}

TEST_F(Interval, TextFormIsTheSeventeenDigitText) {
    EXPECT_EQ(TextOf(Make(0.1, 2.5).get()), "0.10000000000000001,2.5");
    EXPECT_EQ(TextOf(Make(-1e300, 1e-5).get()), "-1.0000000000000001e+300,1.0000000000000001e-05");
    EXPECT_EQ(TextOf(Make(-0.0, 123456789012345678.0).get()), "-0,1.2345678901234568e+17");
    // The same text as %.17g over random bit patterns (subnormals, infinities and NaN included).
    std::mt19937_64 random(20100);
    Ref<IInterval> interval = Make();
    for (int i = 0; i < 20000; ++i) {
        const double lower = FromBits(random());
        const double upper = i % 2 ? FromBits(random()) : std::ldexp(static_cast<double>(random() >> 11), -60);
        interval->SetLower(lower);
        interval->SetUpper(upper);
        ASSERT_EQ(TextOf(interval.get()), Printf17(lower) + "," + Printf17(upper)) << i;
    }
}

TEST_F(Interval, TextRoundTripRestoresEveryFiniteBound) {
    std::mt19937_64 random(42);
    Ref<IInterval> source = Make();
    Ref<IInterval> target = Make();
    int tested = 0;
    while (tested < 20000) {
        const double lower = FromBits(random());
        const double upper = FromBits(random());
        if (!std::isfinite(lower) || !std::isfinite(upper)) continue;
        ++tested;
        source->SetLower(lower);
        source->SetUpper(upper);
        ProducedText text(source.get());
        ASSERT_TRUE(target->UnserializeString(text.get())) << text.get();
        ASSERT_EQ(Bits(target->GetLower()), Bits(lower)) << text.get();
        ASSERT_EQ(Bits(target->GetUpper()), Bits(upper)) << text.get();
    }
}

TEST_F(Interval, TextsLoadOnlyWithTwoNumericFields) {
    const struct {
        const char* text;
        const char* result;
        double lower, upper;  // after loading, from 3,4
    } cases[] = {
        {"1.5,2.5", "true", 1.5, 2.5},
        {"-1e3,1E-3", "true", -1000, 0.001},
        {"5,1", "true", 5, 1},  // no order between the bounds
        {"+.5,7.", "true", 0.5, 7},
        // Not exactly two fields: nothing changes.
        {"1,2,3", "false", 3, 4}, {"1", "false", 3, 4}, {"", "false", 3, 4},
        {",,", "false", 3, 4}, {"1,,2", "false", 3, 4}, {nullptr, "false", 3, 4},
        // A field that is not a number raises the conversion failure, and nothing changes,
        // not even a good lower bound before a bad upper one.
        {",1", "bad cast", 3, 4}, {"1,", "bad cast", 3, 4}, {"1, 2", "bad cast", 3, 4},
        {" 1,2", "bad cast", 3, 4}, {"1 ,2", "bad cast", 3, 4}, {"1,2 ", "bad cast", 3, 4},
        {"1,2\n", "bad cast", 3, 4}, {"1e,2", "bad cast", 3, 4}, {"1,2e+", "bad cast", 3, 4},
        {"0x10,2", "bad cast", 3, 4}, {"1,two", "bad cast", 3, 4}, {"--1,2", "bad cast", 3, 4},
        {"1.2.3,4", "bad cast", 3, 4}, {"1e400,0", "bad cast", 3, 4}, {".,1", "bad cast", 3, 4},
        {"e5,1", "bad cast", 3, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(null)");
        Ref<IInterval> interval = Make(3, 4);
        EXPECT_EQ(Load(interval.get(), c.text), c.result);
        EXPECT_EQ(interval->GetLower(), c.lower);
        EXPECT_EQ(interval->GetUpper(), c.upper);
    }
}

TEST_F(Interval, FieldsReadAsBoostsConversionReadsThem) {
    // The quick path for plain decimals must agree with boost::lexical_cast on every text,
    // in value (bit for bit) and in failure.
    std::vector<std::string> texts = {"0", "-0", "00012", "1e-310", "4.9e-324", "1e-400", "-1e-400", "0e999999",
                                      "1.7976931348623157e308", "1.7976931348623159e308", "2.2250738585072011e-308",
                                      "inf", "-Infinity", "nan", "-nan", "+1", "1e+5", "1E5", ".5e1", "5.", "1e0000005",
                                      "123456789012345678901234567890", "0.000000000000000000000000000001e30"};
    std::mt19937 random(7);
    const std::string alphabet = "0123456789.eE+-";
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int length = 1 + static_cast<int>(random() % 12);
        for (int c = 0; c < length; ++c) text += alphabet[random() % (c < 3 ? 11 : alphabet.size())];
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        std::string expected;
        try {
            expected = std::to_string(Bits(boost::lexical_cast<double>(text)));
        } catch (const boost::bad_lexical_cast&) {
            expected = "fails";
        }
        std::string actual;
        try {
            actual = std::to_string(Bits(ParseIntervalBound(text.data(), text.data() + text.size())));
        } catch (const boost::bad_lexical_cast&) {
            actual = "fails";
        }
        ASSERT_EQ(actual, expected) << text;
    }
}

TEST_F(Interval, EqualityIsEqualityOfBitPatterns) {
    EXPECT_TRUE(Make()->IsEqual(Make().get()));
    EXPECT_FALSE(Make(0.0, 1.0)->IsEqual(Make(-0.0, 1.0).get()));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(Make(nan, 1)->IsEqual(Make(nan, 1).get()));
    EXPECT_FALSE(Make(0, 1)->IsEqual(Make(0, 1.0000000000000002).get()));
    EXPECT_FALSE(Make()->IsEqual(nullptr));
}

TEST_F(Interval, CopyFromTakesTheBoundsOfAnotherIntervalOnly) {
    Ref<IInterval> source = Make(-4, 9);
    source->SetTimestamp(1234);
    Ref<IInterval> target = Make();
    target->SetTimestamp(55);
    target->CopyFrom(source.get());
    EXPECT_EQ(target->GetLower(), -4);
    EXPECT_EQ(target->GetUpper(), 9);
    EXPECT_EQ(target->GetTimestamp(), 55);

    // Null, another implementation of the interface and a 16-byte form of another class
    // are cast failures that change nothing.
    Ref<IInterval> foreign(kernel.Create<IInterval>(kTestCatalog, "foreign_interval"));
    Ref<BinaryOnlyDatatype> sixteenBytes(kernel.Create<BinaryOnlyDatatype>(kTestCatalog, BinaryOnlyDatatype::kClassId));
    sixteenBytes->bytes.assign(16, 0);
    for (ISerialize* other : std::vector<ISerialize*>{nullptr, foreign.get(), sixteenBytes.get()}) {
        try {
            target->CopyFrom(other);
            ADD_FAILURE() << "copied";
        } catch (ICastException& e) {
            EXPECT_STREQ(e.GetMessageText(), "Invalid type cast.\n");
        }
    }
    EXPECT_EQ(target->GetLower(), -4);
    EXPECT_EQ(target->GetUpper(), 9);
    // The other way, the default CopyFrom of a binary-only class takes an Interval's form.
    sixteenBytes->CopyFrom(target.get());
    EXPECT_EQ(sixteenBytes->bytes, PayloadOf(ProducedBinary(target.get())));
}

TEST_F(Interval, CreateFunctionsMakeTheTwoClasses) {
    OBJECT_CREATIONCTX context = kernel.ContextFor(kIntervalCatalogId, kIntervalClassId);
    Ref<IObject> object(CreateIntervalObject(&context));
    ASSERT_TRUE(object);
    EXPECT_NE(dynamic_cast<IInterval*>(object.get()), nullptr);
    EXPECT_EQ(object->GetObjectClass(), context.objectClass);

    Ref<IDatatypeInitInfo> info(CreateIntervalInitInfoObject(&context));
    ASSERT_TRUE(info);
    EXPECT_NE(dynamic_cast<IIntervalInitInfo*>(info.get()), nullptr);
    EXPECT_FALSE(ProducedBinary(info.get()));
    EXPECT_FALSE(ProducedText(info.get()));
    // An Interval ignores init information.
    Ref<IInterval> interval = Make();
    interval->InitInstance(info.get());
    EXPECT_EQ(interval->GetInitInfo(), nullptr);

    context.objectId = 0;
    EXPECT_THROW(CreateIntervalObject(&context), ILogicException);
    EXPECT_THROW(CreateIntervalInitInfoObject(&context), ILogicException);
}
