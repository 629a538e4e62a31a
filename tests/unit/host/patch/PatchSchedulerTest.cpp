#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelCatalog.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/Patch.h"
#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/RunTimeContext.h"

using namespace Vtx;
using vtxhost::CKernelServices;
using vtxhost::CPatch;
using vtxhost::PatchError;

namespace {

// A block of this test: records every lifecycle call under its name. With "periodic" it
// asks for periodic activation and emits a counter; without, it is activated by its input
// and passes on what it received plus one.
class RecordingBlock : public CBlockImplBase<IBlock> {
public:
    RecordingBlock(const OBJECT_CREATIONCTX* context, std::vector<std::string>* calls, std::string name,
                   bool periodic, std::int64_t period = 400000)
        : CBlockImplBase(context), calls_(calls), name_(std::move(name)), periodic_(periodic), period_(period) {
        if (!periodic_) {
            GetRunTimeContext()->SetInputActivation(true);
            GetRunTimeContext()->GetInputActivationSettings()->SetPinActivation("in", true);
        }
        Record("construct");
    }
    ~RecordingBlock() override { Record("destroy"); }

    bool failInit = false;
    bool failStart = false;

protected:
    void InitSignature() override {
        Record("InitSignature");
        if (!periodic_) AddInputPin(pin_description("in").set_type("kernel", "int"));
        AddOutputPin(pin_description("out").set_type("kernel", "int"));
        AddParameter(pin_description("gain").set_type("kernel", "int").attach_int_domain().set_int_minimum(0, true));
    }
    void DoneSignature() override { Record("DoneSignature"); }
    bool OnInit() override {
        Record("Init");
        if (periodic_) {
            GetRunTimeContext()->SetPeriodicActivation(true);
            GetRunTimeContext()->GetPeriodicActivationSettings()->SetEnabled(true);
            GetRunTimeContext()->GetPeriodicActivationSettings()->SetPeriod(period_);
        }
        return !failInit;
    }
    bool OnStart() override {
        Record(GetRunTimeContext()->IsPatchRunning() ? "Start(running)" : "Start");
        return !failStart;
    }
    bool OnExecute() override {
        IInt* out = GetOutputValue<IInt>("out");
        const std::int32_t gain = GetParameterValue<IInt>("gain")->GetValue();
        const std::int32_t value = periodic_ ? ++counter_ * (gain ? gain : 1) : GetInputValue<IInt>("in")->GetValue() + 1;
        Record("Execute " + std::to_string(value));
        out->SetValue(value);
        out->SetTimestamp(GetInitClock()->GetCurrentTime());
        return true;
    }
    void OnStop() override { Record("Stop"); }
    void OnDone() override { Record("Done"); }

private:
    void Record(const std::string& what) { calls_->push_back(name_ + ": " + what); }

    std::vector<std::string>* calls_;
    std::string name_;
    bool periodic_;
    std::int64_t period_;
    std::int32_t counter_ = 0;
};

struct PatchTest : ::testing::Test {
    CKernelServices kernel;
    std::vector<std::string> calls;
    std::unique_ptr<CPatch> patch = std::make_unique<CPatch>(kernel, "test");

    RecordingBlock* Add(const std::string& name, bool periodic, std::int64_t period = 400000) {
        OBJECT_CREATIONCTX context = kernel.MakeCreationContext(vtxhost::ObjectKind::Block, "test", "recording");
        auto* block = new RecordingBlock(&context, &calls, name, periodic, period);
        patch->AdoptBlock(name, block);
        return block;
    }
};

TEST_F(PatchTest, LifecycleCallsComeInOrderAndValuesFlowAlongLinks) {
    Add("source", true);
    Add("relay", false);
    patch->SetParameter("source", "gain", "10");
    patch->Link("source", "out", "relay", "in");
    patch->Start();
    std::vector<std::int64_t> times;
    patch->Run(2, [&](std::int64_t, std::int64_t time) { times.push_back(time); });
    patch->Stop();
    patch.reset();
    const std::vector<std::string> expected = {
        "source: construct",  "source: InitSignature", "relay: construct",   "relay: InitSignature",
        "source: Init",       "relay: Init",           "source: Start(running)", "relay: Start(running)",
        "source: Execute 10", "relay: Execute 11",     "source: Execute 20", "relay: Execute 21",
        "relay: Stop",        "source: Stop",          "relay: Done",        "source: Done",
        "relay: DoneSignature", "relay: destroy",      "source: DoneSignature", "source: destroy"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(times, (std::vector<std::int64_t>{400000, 800000}));
}

TEST_F(PatchTest, PeriodsDecideWhichBlocksRunInARound) {
    Add("fast", true, 100);
    Add("slow", true, 300);
    patch->Start();
    calls.clear();
    patch->Run(4);
    const std::vector<std::string> expected = {"fast: Execute 1", "fast: Execute 2", "fast: Execute 3",
                                               "slow: Execute 1", "fast: Execute 4"};
    EXPECT_EQ(calls, expected);
}

TEST_F(PatchTest, FailedInitIsReportedAndUndone) {
    Add("first", true);
    RecordingBlock* second = Add("second", true);
    second->failInit = true;
    try {
        patch->Start();
        FAIL() << "Start succeeded";
    } catch (const PatchError& e) {
        EXPECT_NE(std::string(e.what()).find("block \"second\" failed to initialise: Block second: error in method Init"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(patch->IsRunning());
    const std::vector<std::string> tail(calls.end() - 4, calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"first: Init", "second: Init", "second: Done", "first: Done"}));
}

TEST_F(PatchTest, BuildErrorsNameTheProblem) {
    Add("a", true);
    Add("b", false);
    auto message = [](auto&& call) -> std::string {
        try {
            call();
        } catch (const PatchError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message([&] { patch->Link("a", "nope", "b", "in"); }), "block \"a\" has no output pin \"nope\"");
    EXPECT_EQ(message([&] { patch->Link("a", "out", "b", "nope"); }), "block \"b\" has no input pin \"nope\"");
    EXPECT_EQ(message([&] { patch->Link("zz", "out", "b", "in"); }), "unknown block \"zz\"");
    EXPECT_EQ(message([&] { patch->Link("b", "out", "a", "in"); }), "block \"a\" has no input pin \"in\"");
    EXPECT_EQ(message([&] { patch->SetParameter("a", "volume", "1"); }), "block \"a\" has no parameter \"volume\"");
    EXPECT_EQ(message([&] { patch->SetParameter("a", "gain", "ten"); }),
              "block \"a\", parameter \"gain\": \"ten\" is not a valid int value");
    EXPECT_EQ(message([&] { patch->SetParameter("a", "gain", "-1"); }),
              "block \"a\", parameter \"gain\": \"-1\" is outside the parameter's domain [0, +inf)");
    EXPECT_EQ(message([&] { patch->AddBlock("c", "kernel", "no_such_block"); }),
              "unknown block class \"no_such_block\" in catalog \"kernel\"");
    EXPECT_EQ(message([&] { patch->AddBlock("a", "kernel", "sink"); }), "block name \"a\" is used twice");
    patch->Link("a", "out", "b", "in");
    EXPECT_EQ(message([&] { patch->Link("a", "out", "b", "in"); }), "input \"b.in\" is already linked");
}

TEST_F(PatchTest, KernelSourceAndSinkCarryAnyDatatype) {
    patch->AddBlock("pairs", "kernel", "sequence_source");
    patch->SetParameter("pairs", "class", "string_pair");
    patch->SetParameter("pairs", "values", R"([["a","b"],["c",""]])");
    patch->AddBlock("show", "kernel", "sink");
    patch->Link("pairs", "output", "show", "input");
    // A value the class cannot read is refused when it is set.
    EXPECT_THROW(patch->SetParameter("pairs", "values", "[\"not a pair\"]"), PatchError);
    EXPECT_THROW(patch->SetParameter("pairs", "class", "no_such_class"), PatchError);
    patch->Start();
    patch->Run(3);
    vtxhost::IReceivedValues* sink = vtxhost::ReceivedValuesOf(patch->FindBlock("show"));
    EXPECT_EQ(sink->Received(), (std::vector<std::string>{"[\"a\",\"b\"]", "[\"c\",\"\"]"}));
    // Taken values are handed over once and dropped, so a long run does not accumulate them.
    EXPECT_EQ(sink->TakeNew().size(), 2u);
    EXPECT_TRUE(sink->Received().empty());
    patch->SetParameter("pairs", "repeat", "true");
    patch->Run(1);
    EXPECT_EQ(sink->TakeNew(), (std::vector<std::string>{"[\"a\",\"b\"]"}));
    EXPECT_TRUE(sink->TakeNew().empty());
    // Taken into the reader's own list: what it held goes, only the new values come.
    std::vector<std::string> taken{"stale"};
    patch->Run(2);
    sink->TakeNewInto(taken);
    EXPECT_EQ(taken, (std::vector<std::string>{"[\"c\",\"\"]", "[\"a\",\"b\"]"}));
    sink->TakeNewInto(taken);
    EXPECT_TRUE(taken.empty());
    patch->Run(1);
    sink->TakeNewInto(taken);
    EXPECT_EQ(taken, (std::vector<std::string>{"[\"c\",\"\"]"}));
    EXPECT_TRUE(sink->Received().empty());
}

} // namespace

namespace {

// The pins whose new data activates a block are read again after the block changes them
// while running: from the next round on, not only at Start.
TEST_F(PatchTest, ActivatingPinsChangedWhileRunningApplyFromTheNextRound) {
    Add("source", true);
    RecordingBlock* relay = Add("relay", false);
    patch->Link("source", "out", "relay", "in");
    patch->Start();
    patch->Run(1);
    IInputActivationSettings* pins = static_cast<IBlock*>(relay)->GetRunTimeContext()->GetInputActivationSettings();
    pins->SetPinActivation("in", false);
    calls.clear();
    patch->Run(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"source: Execute 2", "source: Execute 3"}));
    pins->SetPinActivation("in", true);
    calls.clear();
    patch->Run(1);
    EXPECT_EQ(calls, (std::vector<std::string>{"source: Execute 4", "relay: Execute 5"}));
}

} // namespace
