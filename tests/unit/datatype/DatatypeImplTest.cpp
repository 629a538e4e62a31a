// The datatype base: time attributes, value-and-time copy, Swap, the create functions,
// init-information objects and the converter base.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "sdk/datatype/CopyValueAndTime.h"
#include "sdk/datatype/DatatypeConverterImpl.h"
#include "sdk/datatype/DatatypeInitInfoImpl.h"
#include "tests/unit/datatype/DatatypeTestKit.h"

using namespace Vtx;
using namespace datatype_test;

namespace {

constexpr DatatypeTime kSmallest = std::numeric_limits<std::int64_t>::min();

// Stamps itself whenever its binary form is read, as a datatype that records when it
// was last serialised would.
class SelfStampingDatatype : public BinaryOnlyDatatype {
public:
    static constexpr const char* kClassId = "self_stamping";
    using BinaryOnlyDatatype::BinaryOnlyDatatype;
    SerializeBuffer* SerializeBinary() override {
        SetTimestamp(999);
        return BinaryOnlyDatatype::SerializeBinary();
    }
};

class TestInitInfo : public CDatatypeInitInfoImpl<IDatatypeInitInfo> {
public:
    using CDatatypeInitInfoImpl::CDatatypeInitInfoImpl;
};

// Keeps the init information it is given and reports it.
class ConfiguredDatatype : public BinaryOnlyDatatype {
public:
    static constexpr const char* kClassId = "configured";
    using BinaryOnlyDatatype::BinaryOnlyDatatype;
    void InitInstance(IDatatypeInitInfo* initInfo) override {
        initInfo_ = initInfo;
        LastInitInfo() = initInfo;
    }
    IDatatypeInitInfo* GetInitInfo() override { return initInfo_.get(); }
    static IDatatypeInitInfo*& LastInitInfo() {
        static IDatatypeInitInfo* last = nullptr;
        return last;
    }

private:
    Ref<IDatatypeInitInfo> initInfo_;
};

class ThrowingDatatype : public NoFormDatatype {
public:
    explicit ThrowingDatatype(const OBJECT_CREATIONCTX* context) : NoFormDatatype(context) {
        throw std::length_error("no room for the value");
    }
};

// Its allocation always fails.
class UnallocatableDatatype : public NoFormDatatype {
public:
    using NoFormDatatype::NoFormDatatype;
    static void* operator new(std::size_t, const std::nothrow_t&) noexcept { return nullptr; }
    static void operator delete(void* p) noexcept { ::operator delete(p); }
};

class TestConverter : public CDatatypeConverterImpl {
public:
    using CDatatypeConverterImpl::CDatatypeConverterImpl;
    bool CanConvert(IDatatype*, IDatatype*) override { return false; }
    bool Convert(IDatatype*, IDatatype*) override { return false; }
};

class DatatypeBase : public ::testing::Test {
protected:
    DatatypeBase() {
        RegisterTestDatatypes(kernel);
        kernel.Register<SelfStampingDatatype>(kTestCatalog, SelfStampingDatatype::kClassId);
        kernel.Register<ConfiguredDatatype>(kTestCatalog, ConfiguredDatatype::kClassId);
        kernel.RegisterInitInfo<TestInitInfo>(kTestCatalog, ConfiguredDatatype::kClassId);
    }

    template <class T>
    Ref<T> Make() {
        return Ref<T>(kernel.Create<T>(kTestCatalog, T::kClassId));
    }

    TestKernel kernel;
};

} // namespace

TEST_F(DatatypeBase, NewDatatypeHasUnsetTimesAndKeepsNoInitInfo) {
    Ref<NoFormDatatype> value = Make<NoFormDatatype>();
    EXPECT_EQ(kUnsetTime, kSmallest);
    for (DatatypeTime time : {value->GetTimestamp(), value->GetTimeA(), value->GetTimeB(), value->GetTimeC()})
        EXPECT_EQ(time, kSmallest);
    EXPECT_EQ(value->GetTimeD(), 0);
    EXPECT_EQ(value->GetTimeFactor(), 1.0);
    Ref<IDatatypeInitInfo> info(kernel.CreateDatatypeInitInfo(kTestCatalog, ConfiguredDatatype::kClassId));
    value->InitInstance(info.get());
    EXPECT_EQ(value->GetInitInfo(), nullptr);
}

TEST_F(DatatypeBase, CopyValueAndTimeCarriesTheTimestampReadBeforeTheCopy) {
    Ref<SelfStampingDatatype> source = Make<SelfStampingDatatype>();
    Ref<BinaryOnlyDatatype> destination = Make<BinaryOnlyDatatype>();
    source->bytes = {7, 7};
    source->SetTimestamp(100);
    source->SetTimeA(-1);
    source->SetTimeB(-2);
    source->SetTimeC(-3);
    source->SetTimeD(-4);
    source->SetTimeFactor(2.5);
    CopyValueAndTime(destination.get(), source.get());
    EXPECT_EQ(destination->bytes, source->bytes);
    EXPECT_EQ(source->GetTimestamp(), 999);       // the copy did stamp the source...
    EXPECT_EQ(destination->GetTimestamp(), 100);  // ...after its timestamp was read
    EXPECT_EQ((std::vector<DatatypeTime>{destination->GetTimeA(), destination->GetTimeB(), destination->GetTimeC(),
                                         destination->GetTimeD()}),
              (std::vector<DatatypeTime>{-1, -2, -3, -4}));
    EXPECT_EQ(destination->GetTimeFactor(), 2.5);
}

TEST_F(DatatypeBase, CopyValueAndTimeRefusesNullAndKeepsTimesOnAFailedCopy) {
    Ref<BinaryOnlyDatatype> value = Make<BinaryOnlyDatatype>();
    EXPECT_EQ(LogicMessage([&] { CopyValueAndTime(value.get(), nullptr); }), "Null pointer to serializable object.\n");
    EXPECT_EQ(LogicMessage([&] { CopyValueAndTime(nullptr, value.get()); }), "Null pointer to serializable object.\n");
    Ref<TextOnlyDatatype> refusing = Make<TextOnlyDatatype>();
    Ref<TextOnlyDatatype> source = Make<TextOnlyDatatype>();
    source->text = "!no";
    source->SetTimestamp(5);
    EXPECT_EQ(LogicMessage([&] { CopyValueAndTime(refusing.get(), source.get()); }), "Unserialize failed.\n");
    EXPECT_EQ(refusing->GetTimestamp(), kSmallest);
}

TEST_F(DatatypeBase, SwapExchangesValuesAndLeavesTimesWithTheirObjects) {
    Ref<BinaryOnlyDatatype> a = Make<BinaryOnlyDatatype>();
    Ref<BinaryOnlyDatatype> b = Make<BinaryOnlyDatatype>();
    a->bytes = {1};
    b->bytes = {2, 2};
    a->SetTimestamp(10);
    b->SetTimestamp(20);
    b->SetTimeFactor(3.0);
    const int liveBefore = LiveCount::Value();
    a->Swap(b.get());
    EXPECT_EQ(a->bytes, (std::vector<std::uint8_t>{2, 2}));
    EXPECT_EQ(b->bytes, (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(a->GetTimestamp(), 10);
    EXPECT_EQ(b->GetTimestamp(), 20);
    EXPECT_EQ(a->GetTimeFactor(), 1.0);
    EXPECT_EQ(LiveCount::Value(), liveBefore);  // the intermediate datatype was released
    a->Swap(a.get());
    EXPECT_EQ(a->bytes, (std::vector<std::uint8_t>{2, 2}));
    // Between classes that share a form.
    Ref<TextOnlyDatatype> text = Make<TextOnlyDatatype>();
    text->text = "abc";
    text->Swap(a.get());
    EXPECT_EQ(text->text, std::string("\x02\x02"));
    EXPECT_EQ(a->bytes, (std::vector<std::uint8_t>{'a', 'b', 'c'}));
}

TEST_F(DatatypeBase, SwapGivesTheIntermediateDatatypeThisInitInfo) {
    Ref<ConfiguredDatatype> a = Make<ConfiguredDatatype>();
    Ref<ConfiguredDatatype> b = Make<ConfiguredDatatype>();
    Ref<IDatatypeInitInfo> info(kernel.CreateDatatypeInitInfo(kTestCatalog, ConfiguredDatatype::kClassId));
    ASSERT_TRUE(info);
    a->InitInstance(info.get());
    ConfiguredDatatype::LastInitInfo() = nullptr;
    a->Swap(b.get());
    EXPECT_EQ(ConfiguredDatatype::LastInitInfo(), info.get());
}

TEST_F(DatatypeBase, SwapFailsWhenNoIntermediateDatatypeCanBeMade) {
    Ref<BinaryOnlyDatatype> a = Make<BinaryOnlyDatatype>();
    Ref<BinaryOnlyDatatype> b = Make<BinaryOnlyDatatype>();
    a->bytes = {1};
    b->bytes = {2};
    kernel.refuseCreation = true;
    EXPECT_EQ(LogicMessage([&] { a->Swap(b.get()); }), "ILogicException");
    EXPECT_EQ(a->bytes, std::vector<std::uint8_t>{1});
    EXPECT_EQ(b->bytes, std::vector<std::uint8_t>{2});
    // A datatype made without a class has no identity to make another one from.
    kernel.refuseCreation = false;
    const int requested = kernel.datatypesRequested;
    OBJECT_CREATIONCTX context{77, 1033, nullptr, &kernel};
    Ref<BinaryOnlyDatatype> classless(new BinaryOnlyDatatype(&context));
    EXPECT_EQ(LogicMessage([&] { classless->Swap(b.get()); }), "ILogicException");
    EXPECT_EQ(kernel.datatypesRequested, requested);
}

TEST_F(DatatypeBase, CreateFunctionsReportTheirFailures) {
    OBJECT_CREATIONCTX context = kernel.ContextFor(kTestCatalog, NoFormDatatype::kClassId);
    IDatatype* created = CreateDatatypeInstance<NoFormDatatype>(&context);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetObjectIdentifier(), context.objectId);
    EXPECT_EQ(created->GetObjectClass(), context.objectClass);
    EXPECT_EQ(created->AddRef(), 1);  // new objects start at count 0
    created->Release();

    EXPECT_EQ(CreateDatatypeInstance<UnallocatableDatatype>(&context), nullptr);
    try {
        CreateDatatypeInstance<ThrowingDatatype>(&context);
        FAIL() << "no exception";
    } catch (IException& e) {
        EXPECT_STREQ(e.GetMessageText(), "no room for the value");
    }
    EXPECT_EQ(LogicMessage([] { CreateDatatypeInstance<NoFormDatatype>(nullptr); }),
              "Null pointer to creation context.\n");
    EXPECT_EQ(LogicMessage([] { CreateDatatypeInitInfoInstance<TestInitInfo>(nullptr); }),
              "Null pointer to creation context.\n");
}

TEST_F(DatatypeBase, InitInfoObjectsSerialiseToNothing) {
    Ref<IDatatypeInitInfo> info(kernel.CreateDatatypeInitInfo(kTestCatalog, ConfiguredDatatype::kClassId));
    Ref<IDatatypeInitInfo> other(kernel.CreateDatatypeInitInfo(kTestCatalog, ConfiguredDatatype::kClassId));
    ASSERT_TRUE(info && other);
    EXPECT_FALSE(ProducedBinary(info.get()));
    EXPECT_FALSE(ProducedText(info.get()));
    EXPECT_TRUE(info->IsEqual(other.get()));
    EXPECT_NO_THROW(info->CopyFrom(other.get()));
}

TEST_F(DatatypeBase, ConverterTextsAreKeptApartAndNullIsEmpty) {
    OBJECT_CREATIONCTX context{5, 1033, nullptr, &kernel};
    Ref<TestConverter> converter(new TestConverter(&context));
    converter->SetConverterText2("abc");
    converter->SetConverterText4("kernel");
    converter->SetConverterText4(nullptr);
    EXPECT_EQ(std::string(converter->GetConverterText1()) + "|" + converter->GetConverterText2() + "|" +
                  converter->GetConverterText3() + "|" + converter->GetConverterText4(),
              "|abc||");
}
