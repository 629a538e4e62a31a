// The Vector block, made through the module signature in the reference host: its signature,
// writing and reading positions, the reset trigger, the array size, Interval inputs, stored
// signatures, and the cases where the array cannot be filled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/unit/catalog/CatalogHost.h"
#include "vtx/Domain.h"
#include "vtx/EventSource.h"

namespace catalogtest {
namespace {

using Vtx::IBlock;

constexpr const char* kVector = "Vector";

class Vector : public CatalogFixture {
protected:
    IBlock* MakeVector() { return MakeSignedBlock(kVector, "vec"); }

    // Gives the generic pins the datatypes a patch gives them once the input is linked to an
    // output of the class: the input the test's object, the output a new one of its class.
    void Type(IBlock* block, Vtx::IDatatype* input) {
        Vtx::IBlockSignature* signature = block->GetSignature();
        dynamic_cast<vtxhost::CInputPinImpl&>(*signature->FindInputPin("input")).SetDatatype(input);
        Vtx::IObjectClass* inputClass = input->GetObjectClass();
        Held<Vtx::IDatatype> output(
            kernel.CreateDatatype(inputClass->GetCatalog()->GetClassId(), inputClass->GetClassId()));
        ASSERT_TRUE(output);
        dynamic_cast<vtxhost::COutputPinImpl&>(*signature->FindOutputPin("output")).SetDatatype(output.get());
    }

    // A Vector whose input is a double, initialised, with the given size.
    IBlock* DoubleVector(int size = 1) {
        IBlock* block = MakeVector();
        input = Make<Vtx::IDouble>("kernel", "double");
        Type(block, input);
        if (size != 1) EXPECT_TRUE(Set(block, "size", std::to_string(size)));
        EXPECT_TRUE(block->Init(&clock, &clock, 0, 0));
        return block;
    }

    template <class T = Vtx::IDouble>
    static T* Output(IBlock* block) {
        return Vtx::interface_cast<T>(block->GetSignature()->FindOutputPin("output")->GetDatatype());
    }
    static double OutputValue(IBlock* block) { return Output(block)->GetValue(); }

    // Writes the value at the write position and reads the read position, at time now.
    bool Activate(IBlock* block, double value, std::int64_t now) {
        input->SetValue(value);
        clock.now = now;
        return block->Execute(0);
    }

    Vtx::IDouble* input = nullptr;
};

TEST_F(Vector, OwnSignatureHasSixParametersAndTwoGenericPins) {
    IBlock* block = MakeVector();
    Vtx::IBlockSignature* signature = block->GetSignature();
    EXPECT_EQ(ParameterIds(signature), (std::vector<std::string>{"size", "reset", "enable_read", "read_position",
                                                                  "enable_write", "write_position"}));
    const struct {
        const char* id;
        const char* description;
        const char* type;
        bool atRunTime;
    } parameters[] = {
        {"size", "The size of the internal array", "int", false},
        {"reset", "A command to clear all internal datatypes", "trigger", true},
        {"enable_read", "Specifies whether reading (i.e., copying to output) is enabled", "bool", true},
        {"read_position", "The position in the internal array of the datatype copied to the output pin", "int",
         true},
        {"enable_write", "Specifies whether writing is enabled", "bool", true},
        {"write_position", "Position in the internal array where the input datatype will be copied", "int", true},
    };
    for (const auto& expected : parameters) {
        Vtx::IParameterPinSignature* parameter = signature->FindParameter(expected.id);
        EXPECT_STREQ(parameter->GetName(), expected.id);
        EXPECT_STREQ(parameter->GetDescription(), expected.description);
        EXPECT_STREQ(parameter->GetTypeCatalogId(), "kernel");
        EXPECT_STREQ(parameter->GetTypeClassId(), expected.type);
        EXPECT_EQ(parameter->GetChangeableAtRunTime(), expected.atRunTime) << expected.id;
        EXPECT_EQ(parameter->GetDomain() != nullptr, std::string(expected.id) == "size") << expected.id;
    }
    auto* sizeDomain = Vtx::interface_cast<Vtx::IIntDomain>(signature->FindParameter("size")->GetDomain());
    EXPECT_EQ(sizeDomain->GetMinimum(), 1);
    EXPECT_EQ(sizeDomain->GetMinimumKind(), Vtx::kBoundInclusive);
    EXPECT_EQ(sizeDomain->GetMaximumKind(), Vtx::kBoundNone);
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "size")->GetValue(), 1);
    EXPECT_TRUE(ParameterValue<Vtx::IBool>(block, "enable_read")->GetValue());
    EXPECT_TRUE(ParameterValue<Vtx::IBool>(block, "enable_write")->GetValue());
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "read_position")->GetValue(), 0);
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "write_position")->GetValue(), 0);
    EXPECT_FALSE(Set(block, "size", "0"));

    Vtx::IInputPin* in = signature->FindInputPin("input");
    EXPECT_STREQ(in->GetName(), "input");
    EXPECT_STREQ(in->GetDescription(), "Input");
    EXPECT_STREQ(in->GetTypeClassId(), "generic_datatype");
    ASSERT_EQ(in->GetRequiredInterfaces()->GetCount(), 1);
    EXPECT_STREQ(in->GetRequiredInterfaces()->GetCatalogId(0), "kernel");
    EXPECT_STREQ(in->GetRequiredInterfaces()->GetClassId(0), "scalar_arith_op_double");
    Vtx::IOutputPin* out = signature->FindOutputPin("output");
    EXPECT_STREQ(out->GetName(), "output");
    EXPECT_STREQ(out->GetDescription(), "Output");
    EXPECT_STREQ(out->GetTypeClassId(), "generic_datatype");
    EXPECT_STREQ(out->GetTypeSourcePinId(), "input");
}

TEST_F(Vector, AsksForActivationByItsInput) {
    IBlock* block = MakeBlock(kVector);
    EXPECT_TRUE(block->GetRunTimeContext()->GetInputActivation());
    EXPECT_TRUE(block->GetRunTimeContext()->GetInputActivationSettings()->GetPinActivation("input"));
    EXPECT_FALSE(block->GetRunTimeContext()->GetPeriodicActivation());
}

TEST_F(Vector, AtSizeOneTheOutputFollowsTheInput) {
    IBlock* block = DoubleVector();
    ASSERT_TRUE(block->Start());
    ASSERT_TRUE(Activate(block, 1.5, 10));
    EXPECT_EQ(OutputValue(block), 1.5);
    EXPECT_EQ(Output(block)->GetTimestamp(), 10);
    ASSERT_TRUE(Activate(block, -2.0, 20));
    EXPECT_EQ(OutputValue(block), -2.0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 20);
}

TEST_F(Vector, PositionsOutsideTheArrayAreIgnored) {
    IBlock* block = DoubleVector(3);
    ASSERT_TRUE(Set(block, "write_position", "3"));
    ASSERT_TRUE(Set(block, "read_position", "2"));
    ASSERT_TRUE(Activate(block, 9.0, 10));
    EXPECT_EQ(OutputValue(block), 0.0);  // entry 2 is still the fresh double
    EXPECT_EQ(Output(block)->GetTimestamp(), 10);

    ASSERT_TRUE(Set(block, "write_position", "2"));
    ASSERT_TRUE(Set(block, "read_position", "-1"));
    ASSERT_TRUE(Activate(block, 4.0, 20));
    EXPECT_EQ(OutputValue(block), 0.0);  // not read
    EXPECT_EQ(Output(block)->GetTimestamp(), 10);

    ASSERT_TRUE(Set(block, "write_position", "-1"));
    ASSERT_TRUE(Set(block, "read_position", "2"));
    ASSERT_TRUE(Activate(block, 5.0, 30));
    EXPECT_EQ(OutputValue(block), 4.0);  // what position 2 got before
    EXPECT_EQ(Output(block)->GetTimestamp(), 30);

    ASSERT_TRUE(Set(block, "read_position", "2147483647"));
    ASSERT_TRUE(Activate(block, 6.0, 40));
    EXPECT_EQ(Output(block)->GetTimestamp(), 30);
}

TEST_F(Vector, WithoutWritingTheOutputRepeatsTheStoredEntry) {
    IBlock* block = DoubleVector(2);
    ASSERT_TRUE(Set(block, "write_position", "1"));
    ASSERT_TRUE(Set(block, "read_position", "1"));
    ASSERT_TRUE(Activate(block, 3.0, 10));
    ASSERT_TRUE(Set(block, "enable_write", "false"));
    ASSERT_TRUE(Activate(block, 8.0, 20));
    EXPECT_EQ(OutputValue(block), 3.0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 20);
    ASSERT_TRUE(Activate(block, 9.0, 30));
    EXPECT_EQ(OutputValue(block), 3.0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 30);

    // Reading off: the output keeps value and time, while writing goes on.
    ASSERT_TRUE(Set(block, "enable_write", "true"));
    ASSERT_TRUE(Set(block, "enable_read", "false"));
    ASSERT_TRUE(Activate(block, 11.0, 40));
    EXPECT_EQ(OutputValue(block), 3.0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 30);
    ASSERT_TRUE(Set(block, "enable_read", "true"));
    ASSERT_TRUE(Set(block, "enable_write", "false"));
    ASSERT_TRUE(Activate(block, 12.0, 50));
    EXPECT_EQ(OutputValue(block), 11.0);
}

TEST_F(Vector, ResetClearsTheArrayOnlyWhileThePatchRuns) {
    IBlock* block = DoubleVector(2);
    ASSERT_TRUE(Set(block, "write_position", "1"));
    ASSERT_TRUE(Set(block, "read_position", "1"));
    ASSERT_TRUE(Activate(block, 3.0, 10));
    ASSERT_TRUE(Set(block, "enable_write", "false"));

    // Stopped: the trigger is taken, the array is kept.
    ASSERT_TRUE(Fire(block, "reset"));
    ASSERT_TRUE(Activate(block, 0.0, 20));
    EXPECT_EQ(OutputValue(block), 3.0);

    ASSERT_TRUE(block->Start());
    SetRunning(block, true);
    ASSERT_TRUE(Fire(block, "reset"));
    ASSERT_TRUE(Activate(block, 0.0, 30));
    EXPECT_EQ(OutputValue(block), 0.0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 30);
    // The fresh entries still take what is written.
    ASSERT_TRUE(Set(block, "enable_write", "true"));
    ASSERT_TRUE(Activate(block, 7.0, 40));
    EXPECT_EQ(OutputValue(block), 7.0);
    SetRunning(block, false);
}

TEST_F(Vector, ANewSizeTakesEffectAtInit) {
    IBlock* block = DoubleVector(1);
    ASSERT_TRUE(Set(block, "size", "4"));
    ASSERT_TRUE(Set(block, "enable_write", "false"));
    ASSERT_TRUE(Set(block, "read_position", "3"));
    ASSERT_TRUE(Activate(block, 1.0, 10));
    EXPECT_EQ(Output(block)->GetTimestamp(), Vtx::kUnsetTime);  // still one entry

    block->Done();
    ASSERT_TRUE(block->Init(&clock, &clock, 0, 0));
    ASSERT_TRUE(Activate(block, 1.0, 20));
    EXPECT_EQ(OutputValue(block), 0.0);
    EXPECT_EQ(Output(block)->GetTimestamp(), 20);
    ASSERT_TRUE(Set(block, "enable_write", "true"));
    ASSERT_TRUE(Set(block, "write_position", "3"));
    ASSERT_TRUE(Activate(block, 2.5, 30));
    EXPECT_EQ(OutputValue(block), 2.5);
}

TEST_F(Vector, StoresIntervalsThatRefuseOtherClasses) {
    IBlock* block = MakeVector();
    auto* interval = Make<IInterval>(kIntervalCatalogId, kIntervalClassId);
    Type(block, interval);
    ASSERT_TRUE(Set(block, "size", "2"));
    ASSERT_TRUE(block->Init(&clock, &clock, 0, 0));
    interval->SetLower(-1.5);
    interval->SetUpper(2.5);
    clock.now = 10;
    ASSERT_TRUE(block->Execute(0));
    auto* output = Output<IInterval>(block);
    EXPECT_EQ(output->GetLower(), -1.5);
    EXPECT_EQ(output->GetUpper(), 2.5);
    EXPECT_EQ(output->GetTimestamp(), 10);

    // Entry 1 is a fresh Interval of its own.
    ASSERT_TRUE(Set(block, "enable_write", "false"));
    ASSERT_TRUE(Set(block, "read_position", "1"));
    ASSERT_TRUE(block->Execute(0));
    EXPECT_EQ(output->GetLower(), 0.0);
    EXPECT_EQ(output->GetUpper(), 1.0);
}

TEST_F(Vector, AFailedCopyIsReported) {
    IBlock* block = MakeVector();
    auto* interval = Make<IInterval>(kIntervalCatalogId, kIntervalClassId);
    Type(block, interval);
    // An output of another class than the entries: reading cannot copy.
    Held<Vtx::IDatatype> number(kernel.CreateDatatype("kernel", "double"));
    dynamic_cast<vtxhost::COutputPinImpl&>(*block->GetSignature()->FindOutputPin("output")).SetDatatype(number.get());
    ASSERT_TRUE(block->Init(&clock, &clock, 0, 0));
    interval->SetLower(4.0);
    EXPECT_FALSE(block->Execute(0));
    EXPECT_EQ(MessagesOf(block, Vtx::kMessageErrorInMethod),
              (std::vector<std::string>{"Block vec: error in method Execute\n"}));
    // It was the read that failed: writing alone goes through.
    ASSERT_TRUE(Set(block, "enable_read", "false"));
    EXPECT_TRUE(block->Execute(0));
}

TEST_F(Vector, InitWithoutAnInputDatatypeFails) {
    IBlock* block = DoubleVector(1);
    ASSERT_TRUE(Activate(block, 5.0, 10));
    block->Done();
    dynamic_cast<vtxhost::CInputPinImpl&>(*block->GetSignature()->FindInputPin("input")).SetDatatype(nullptr);
    EXPECT_FALSE(block->Init(&clock, &clock, 0, 0));
    EXPECT_EQ(MessagesOf(block, Vtx::kMessageErrorInMethod),
              (std::vector<std::string>{"Block vec: error in method Init\n"}));
}

TEST_F(Vector, ResetWithoutAnInputEmptiesTheArray) {
    IBlock* block = MakeVector();
    EXPECT_FALSE(block->Init(&clock, &clock, 0, 0));  // the input is not typed
    ASSERT_TRUE(block->Start());
    SetRunning(block, true);
    EXPECT_TRUE(Fire(block, "reset"));
    // Nothing to write to or read from, and nothing fails.
    EXPECT_TRUE(block->Execute(0));
    SetRunning(block, false);
}

TEST_F(Vector, AnInputTypeTheKernelCannotMakeLeavesNoEntries) {
    IBlock* block = MakeVector();
    auto* interval = Make<IInterval>(kIntervalCatalogId, kIntervalClassId);
    Type(block, interval);
    ASSERT_TRUE(Set(block, "size", "3"));
    kernel.refuseIntervals = true;
    EXPECT_FALSE(block->Init(&clock, &clock, 0, 0));
    kernel.refuseIntervals = false;
    // No entry at all, rather than some entries missing: nothing is written or read.
    clock.now = 10;
    EXPECT_TRUE(block->Execute(0));
    EXPECT_EQ(Output<IInterval>(block)->GetTimestamp(), Vtx::kUnsetTime);
}

TEST_F(Vector, StoredSignatureIsCheckedAndKeepsItsValues) {
    IBlock* original = MakeVector();
    ASSERT_TRUE(Set(original, "size", "4"));
    ASSERT_TRUE(Set(original, "read_position", "2"));
    ASSERT_TRUE(Set(original, "enable_write", "false"));
    Held<Vtx::IBlockSignature> stored(original->GetSignature());

    IBlock* copy = MakeBlock(kVector, "copy");
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), stored.get());
    EXPECT_TRUE(MessagesOf(copy, Vtx::kMessageUnhandledException).empty());
    EXPECT_EQ(ParameterValue<Vtx::IInt>(copy, "size")->GetValue(), 4);
    EXPECT_EQ(ParameterValue<Vtx::IInt>(copy, "read_position")->GetValue(), 2);
    // The block works on the stored parameters: with writing off, position 2 of 4 is read.
    input = Make<Vtx::IDouble>("kernel", "double");
    Type(copy, input);
    ASSERT_TRUE(copy->Init(&clock, &clock, 0, 0));
    ASSERT_TRUE(Activate(copy, 5.0, 10));
    EXPECT_EQ(OutputValue(copy), 0.0);
    EXPECT_EQ(Output(copy)->GetTimestamp(), 10);
}

TEST_F(Vector, StoredSignatureWithoutAParameterFallsBackToItsOwn) {
    IBlock* original = MakeVector();
    ASSERT_TRUE(Set(original, "size", "4"));
    Held<Vtx::IBlockSignature> stored(original->GetSignature());
    ASSERT_NE(stored->RemoveParameter("enable_write"), nullptr);

    IBlock* copy = MakeBlock(kVector, "copy");
    Vtx::IBlockSignature* own = copy->GetSignature();
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), own);
    EXPECT_EQ(MessagesOf(copy, Vtx::kMessageUnhandledException).size(), 1u);
    EXPECT_EQ(ParameterIds(own).size(), 6u);
    EXPECT_EQ(ParameterValue<Vtx::IInt>(copy, "size")->GetValue(), 4);
    EXPECT_TRUE(ParameterValue<Vtx::IBool>(copy, "enable_write")->GetValue());
}

} // namespace
} // namespace catalogtest
