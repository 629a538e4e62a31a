// The example catalog through its built module, on the SDK's test harness
// (host/harness/BlockHarness.h): Fraction's two forms and what they refuse, the Scale block
// fed and run without a patch file, and a patch of it loaded in the same process, fresh and
// from a save.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Fraction.h"
#include "host/harness/BlockHarness.h"
#include "host/kernel/KernelBlocks.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchSave.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Exception.h"
#include "vtx/Serialize.h"

namespace {

const std::string kModule = SDK_EXAMPLE_MODULE_PATH;

using FractionPtr = Vtx::CSmartPtr<IFraction, Vtx::CDatatypeFactory<IFraction>>;

class Fraction : public ::testing::Test {
protected:
    FractionPtr Make(const char* text = nullptr) {
        FractionPtr fraction;
        fraction = dynamic_cast<IFraction*>(harness.Kernel().CreateDatatype(kFractionCatalogId, kFractionClassId));
        if (!fraction) {
            ADD_FAILURE() << "the module created no Fraction";
        } else if (text) {
            EXPECT_TRUE(fraction->UnserializeString(text)) << text;
        }
        return fraction;
    }
    static std::string Text(IFraction* fraction) {
        Vtx::ProducedText text(fraction);
        return text ? text.get() : "(null)";
    }

    // The module is loaded once for the whole test program; each harness adds its catalog.
    vtxhost::CBlockHarness harness{kModule};
};

TEST_F(Fraction, BothFormsRestoreEveryValueIncludingTheExtremes) {
    for (const char* text : {"0/1", "-3/4", "2147483647/1", "-2147483648/1", "-2147483647/2147483646"}) {
        FractionPtr original = Make(text);
        EXPECT_EQ(Text(original.get()), text);
        FractionPtr fromBinary = Make();
        Vtx::ProducedBinary binary(original.get());
        EXPECT_TRUE(fromBinary->UnserializeBinary(binary.get()));
        EXPECT_TRUE(fromBinary->IsEqual(original.get())) << text;
    }
    // Numerator then denominator, 32-bit little-endian each.
    FractionPtr negative = Make("-3/4");
    Vtx::ProducedBinary binary(negative.get());
    const std::uint8_t* payload = Vtx::GetSerializeBufferData(binary.get());
    ASSERT_EQ(Vtx::GetSerializeBufferSize(binary.get()), 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(payload, payload + 8),
              (std::vector<std::uint8_t>{0xfd, 0xff, 0xff, 0xff, 0x04, 0x00, 0x00, 0x00}));
}

TEST_F(Fraction, ValuesAreKeptInLowestTermsSoEqualValuesCompareEqual) {
    EXPECT_EQ(Text(Make("6/8").get()), "3/4");
    EXPECT_EQ(Text(Make("1/-2").get()), "-1/2");
    EXPECT_EQ(Text(Make("0/-5").get()), "0/1");
    EXPECT_EQ(Text(Make("-2147483648/-2").get()), "1073741824/1");
    EXPECT_TRUE(Make("2/4")->IsEqual(Make("1/2").get()));
    EXPECT_FALSE(Make("1/2")->IsEqual(Make("-1/2").get()));
}

TEST_F(Fraction, MalformedFormsAreRefusedAndChangeNothing) {
    FractionPtr fraction = Make("5/7");
    for (const char* text : {"", "5", "1/0", "1/2/3", " 1/2", "1/2 ", "+1/2", "a/b", "/2", "1/", "2147483648/1",
                             "-2147483648/-1"})
        EXPECT_FALSE(fraction->UnserializeString(text)) << '"' << text << '"';
    EXPECT_FALSE(fraction->UnserializeString(nullptr));
    for (std::size_t size : {0u, 7u, 9u}) {
        Vtx::OwnedSerializeBuffer buffer(Vtx::AllocateSerializeBuffer(size));
        EXPECT_FALSE(fraction->UnserializeBinary(buffer.get())) << size;
    }
    Vtx::OwnedSerializeBuffer zero(Vtx::AllocateSerializeBuffer(8));  // 0/0
    EXPECT_FALSE(fraction->UnserializeBinary(zero.get()));
    EXPECT_EQ(Text(fraction.get()), "5/7");
}

TEST_F(Fraction, CopyFromTakesTheValueButNotTheTimestampAndRefusesOtherDatatypes) {
    FractionPtr source = Make("2/3");
    source->SetTimestamp(42);
    FractionPtr target = Make();
    target->CopyFrom(source.get());
    EXPECT_EQ(Text(target.get()), "2/3");
    EXPECT_NE(target->GetTimestamp(), 42);
    Vtx::CSmartPtr<Vtx::IDatatype, Vtx::CDatatypeFactory<Vtx::IDatatype>> number;
    number.Create(&harness.Kernel(), "kernel", "double");
    EXPECT_THROW(target->CopyFrom(number.get()), Vtx::IException);
    EXPECT_THROW(target->CopyFrom(nullptr), Vtx::IException);
    EXPECT_EQ(Text(target.get()), "2/3");
}

// The block alone: a value pushed to its input per round, what its output delivered.
TEST(ScaleBlock, ScalesEachInputValueByItsFactor) {
    vtxhost::CBlockHarness harness(kModule);
    harness.MakeBlock("Scale");
    harness.SetParameter("factor", "3");
    for (const char* value : {"1/2", "-5/6", "0/1"}) harness.Push("input", value);
    harness.Run(3);
    EXPECT_EQ(harness.TakeOutput("output"), (std::vector<std::string>{"3/2", "-5/2", "0/1"}));
    // No new input, no activation: nothing more is delivered.
    harness.Run(2);
    EXPECT_TRUE(harness.TakeOutput("output").empty());
    EXPECT_TRUE(harness.TakeMessages().empty());
    harness.Stop();
    EXPECT_TRUE(harness.UnstampedOutputs().empty());
}

TEST(ScaleBlock, AFactorOutsideItsDomainIsRefusedWithTheBoundsAndTheOldFactorStays) {
    vtxhost::CBlockHarness harness(kModule);
    harness.MakeBlock("Scale");
    try {
        harness.SetParameter("factor", "1001");
        ADD_FAILURE() << "a factor of 1001 was taken";
    } catch (const vtxhost::ParameterRefused& e) {
        EXPECT_STREQ(e.what(), "block \"block\", parameter \"factor\": \"1001\" is outside the parameter's domain "
                               "[-1000, 1000]");
    }
    EXPECT_EQ(harness.Parameter("factor"), "1");
}

TEST(ScaleBlock, AProductTooLargeForAFractionIsReportedAndSendsNothing) {
    vtxhost::CBlockHarness harness(kModule);
    harness.MakeBlock("Scale");
    harness.SetParameter("factor", "-3");
    harness.Push("input", "2147483647/2");
    harness.Push("input", "1/3");
    harness.Run(2);
    EXPECT_EQ(harness.TakeOutput("output"), std::vector<std::string>{"-1/1"});
    const std::vector<vtxhost::HarnessMessage> messages = harness.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, 3);
    EXPECT_EQ(messages[0].text, "Block block: error in method Execute");
}

// A patch of a source of fractions, a Scale block and a sink of its output.
std::string ScalePatch(const std::string& values, int factor) {
    return R"({"name": "scale", "modules": [")" + kModule + R"("], "blocks": [
        {"name": "fractions", "class": "sequence_source",
         "parameters": {"catalog": "SdkExample", "class": "Fraction", "values": )" + values + R"(}},
        {"name": "scaled", "catalog": "SdkExample", "class": "Scale", "parameters": {"factor": )" +
           std::to_string(factor) + R"(}},
        {"name": "show", "class": "sink"}],
      "links": [{"from": "fractions.output", "to": "scaled.input"}, {"from": "scaled.output", "to": "show.input"}]})";
}

// A patch in the same process as the harnesses: the module, already attached, is shared.
struct Host {
    vtxhost::CKernelServices kernel;
    vtxhost::LoadedPatch loaded;

    explicit Host(const std::string& text)
        : loaded(vtxhost::LoadPatchText(kernel, text, "scale.json", ".", vtxhost::SharedModuleOpener)) {}
    ~Host() { loaded.patch.reset(); }

    std::vector<std::string> Run(int rounds) {
        loaded.patch->Start();
        loaded.patch->Run(rounds);
        loaded.patch->Stop();
        return vtxhost::ReceivedValuesOf(loaded.patch->FindBlock("show"))->Received();
    }
};

TEST(ScaleBlock, ASavedPatchIsCheckedAgainstItsStoredSignatureAndScalesAsBefore) {
    vtxhost::CBlockHarness alongside(kModule);  // the module is attached while the patches load it
    std::string saved;
    {
        Host original(ScalePatch(R"(["1/2", "-5/6"])", 3));
        EXPECT_EQ(original.Run(2), (std::vector<std::string>{"3/2", "-5/2"}));
        saved = vtxhost::SavePatchText(*original.loaded.patch, original.loaded.modulePaths);
    }
    Host reloaded(saved);
    EXPECT_EQ(reloaded.Run(2), (std::vector<std::string>{"3/2", "-5/2"}));
    EXPECT_TRUE(reloaded.kernel.Dispatcher().Messages().empty());
}

} // namespace
