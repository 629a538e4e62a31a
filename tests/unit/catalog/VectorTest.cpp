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
        if (size != 1) {
            EXPECT_TRUE(Set(block, "size", std::to_string(size)));
        }
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

TEST_F(Vector, OwnSignatureAndActivation) {
    IBlock* block = MakeVector();
    Vtx::IBlockSignature* signature = block->GetSignature();
    EXPECT_EQ(PinTexts(signature),
              (std::vector<std::string>{
                  "input|input|Input",
                  "output|output|Output",
                  "size|size|The size of the internal array",
                  "reset|reset|A command to clear all internal datatypes",
                  "enable_read|enable_read|Specifies whether reading (i.e., copying to output) is enabled",
                  "read_position|read_position|The position in the internal array of the datatype copied to the "
                  "output pin",
                  "enable_write|enable_write|Specifies whether writing is enabled",
                  "write_position|write_position|Position in the internal array where the input datatype will be "
                  "copied",
              }));
    for (const char* id : {"reset", "enable_read", "read_position", "enable_write", "write_position"})
        EXPECT_TRUE(signature->FindParameter(id)->GetChangeableAtRunTime()) << id;
    EXPECT_FALSE(signature->FindParameter("size")->GetChangeableAtRunTime());
    EXPECT_FALSE(Set(block, "size", "0"));  // at least one entry
    EXPECT_EQ(ParameterValue<Vtx::IInt>(block, "size")->GetValue(), 1);

    // The input takes any datatype with double arithmetic; the output follows its type.
    Vtx::IInputPin* in = signature->FindInputPin("input");
    ASSERT_EQ(in->GetRequiredInterfaces()->GetCount(), 1);
    EXPECT_STREQ(in->GetRequiredInterfaces()->GetClassId(0), "scalar_arith_op_double");
    EXPECT_STREQ(signature->FindOutputPin("output")->GetTypeSourcePinId(), "input");

    EXPECT_TRUE(block->GetRunTimeContext()->GetInputActivation());
    EXPECT_TRUE(block->GetRunTimeContext()->GetInputActivationSettings()->GetPinActivation("input"));
    EXPECT_FALSE(block->GetRunTimeContext()->GetPeriodicActivation());
}

TEST_F(Vector, ReadsAndWritesOnlyInsideTheArrayAndWhenEnabled) {
    const struct Step {
        const char *write, *read, *writing, *reading;
        double value;
        std::int64_t now;
        double output;
        std::int64_t stamp;
    } steps[] = {
        {"0", "0", "true", "true", 1.5, 10, 1.5, 10},      // the output follows the input
        {"3", "2", "true", "true", 9.0, 20, 0.0, 20},      // not written; entry 2 is fresh
        {"2", "-1", "true", "true", 4.0, 30, 0.0, 20},     // not read: the output keeps value and time
        {"-1", "2", "true", "true", 5.0, 40, 4.0, 40},     // what entry 2 got before
        {"-1", "2147483647", "true", "true", 6.0, 50, 4.0, 40},
        {"2", "2", "false", "true", 8.0, 60, 4.0, 60},     // not writing: the entry again, new time
        {"2", "2", "true", "false", 11.0, 70, 4.0, 60},    // not reading, while writing goes on
        {"2", "2", "false", "true", 12.0, 80, 11.0, 80},
    };
    IBlock* block = DoubleVector(3);
    ASSERT_TRUE(block->Start());
    for (const Step& step : steps) {
        SCOPED_TRACE(step.now);
        ASSERT_TRUE(Set(block, "write_position", step.write));
        ASSERT_TRUE(Set(block, "read_position", step.read));
        ASSERT_TRUE(Set(block, "enable_write", step.writing));
        ASSERT_TRUE(Set(block, "enable_read", step.reading));
        ASSERT_TRUE(Activate(block, step.value, step.now));
        EXPECT_EQ(OutputValue(block), step.output);
        EXPECT_EQ(Output(block)->GetTimestamp(), step.stamp);
    }
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

TEST_F(Vector, WithoutEntriesInitFailsAndActivationsDoNothing) {
    // The input's datatype went after a first Init.
    IBlock* block = DoubleVector(1);
    ASSERT_TRUE(Activate(block, 5.0, 10));
    block->Done();
    dynamic_cast<vtxhost::CInputPinImpl&>(*block->GetSignature()->FindInputPin("input")).SetDatatype(nullptr);
    EXPECT_FALSE(block->Init(&clock, &clock, 0, 0));
    EXPECT_EQ(MessagesOf(block, Vtx::kMessageErrorInMethod),
              (std::vector<std::string>{"Block vec: error in method Init\n"}));
    // Nothing to write to or read from, even after a reset, and nothing fails.
    ASSERT_TRUE(block->Start());
    SetRunning(block, true);
    EXPECT_TRUE(Fire(block, "reset"));
    EXPECT_TRUE(block->Execute(0));
    SetRunning(block, false);

    // An input type the kernel cannot make: no entry at all, rather than some missing.
    IBlock* intervals = MakeVector();
    Type(intervals, Make<IInterval>(kIntervalCatalogId, kIntervalClassId));
    ASSERT_TRUE(Set(intervals, "size", "3"));
    kernel.refuseIntervals = true;
    EXPECT_FALSE(intervals->Init(&clock, &clock, 0, 0));
    kernel.refuseIntervals = false;
    clock.now = 10;
    EXPECT_TRUE(intervals->Execute(0));
    EXPECT_EQ(Output<IInterval>(intervals)->GetTimestamp(), Vtx::kUnsetTime);
}

TEST_F(Vector, StoredSignatureIsCheckedAndKeepsItsValues) {
    auto storedOf = [&] {
        IBlock* original = MakeVector();
        EXPECT_TRUE(Set(original, "size", "4"));
        EXPECT_TRUE(Set(original, "read_position", "2"));
        EXPECT_TRUE(Set(original, "enable_write", "false"));
        return Held<Vtx::IBlockSignature>(original->GetSignature());
    };
    Held<Vtx::IBlockSignature> stored = storedOf();

    IBlock* copy = MakeBlock(kVector, "copy");
    copy->InitInstance(stored.get(), nullptr, 0);
    EXPECT_EQ(copy->GetSignature(), stored.get());
    EXPECT_TRUE(MessagesOf(copy, Vtx::kMessageUnhandledException).empty());
    // The block works on the stored parameters: with writing off, position 2 of 4 is read.
    input = Make<Vtx::IDouble>("kernel", "double");
    Type(copy, input);
    ASSERT_TRUE(copy->Init(&clock, &clock, 0, 0));
    ASSERT_TRUE(Activate(copy, 5.0, 10));
    EXPECT_EQ(OutputValue(copy), 0.0);
    EXPECT_EQ(Output(copy)->GetTimestamp(), 10);

    // Without one of its parameters the stored signature is refused; its values are taken.
    Held<Vtx::IBlockSignature> partialStored = storedOf();
    ASSERT_NE(partialStored->RemoveParameter("enable_write"), nullptr);
    IBlock* partial = MakeBlock(kVector, "partial");
    Vtx::IBlockSignature* own = partial->GetSignature();
    partial->InitInstance(partialStored.get(), nullptr, 0);
    EXPECT_EQ(partial->GetSignature(), own);
    EXPECT_EQ(MessagesOf(partial, Vtx::kMessageUnhandledException).size(), 1u);
    EXPECT_EQ(ParameterIds(own).size(), 6u);
    EXPECT_EQ(ParameterValue<Vtx::IInt>(partial, "size")->GetValue(), 4);
    EXPECT_TRUE(ParameterValue<Vtx::IBool>(partial, "enable_write")->GetValue());
}

} // namespace
} // namespace catalogtest
