// The authors' test harness on the test catalog's Mix block (tests/check/MixBlock.cpp): a
// block made, set, fed and run without a patch file, in the same process as patches of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/harness/BlockHarness.h"
#include "host/kernel/KernelBlocks.h"
#include "host/patch/PatchFile.h"

namespace {

std::string CheckModulePath(const std::string& name) { return std::string(VTX_CHECK_MODULE_DIR) + "/lib" + name + ".so"; }

std::string RefusalOf(vtxhost::CBlockHarness& harness, const std::vector<std::pair<std::string, std::string>>& values) {
    try {
        harness.SetParameters(values);
    } catch (const vtxhost::ParameterRefused& e) {
        return e.what();
    }
    return "(taken)";
}

TEST(Harness, MixesPushedValuesWithParametersSetAsOneGroup) {
    vtxhost::CBlockHarness harness(CheckModulePath("CheckSound"));
    harness.MakeBlock("Mix");
    harness.SetParameters({{"combine", "product"}, {"mode", "conjugate"}, {"gain", "2"}});
    harness.Push("a", "3");
    harness.Push("b", "4");
    harness.Run();
    EXPECT_EQ(harness.TakeOutput("output"), std::vector<std::string>{"-24"});
    // Both values change at once, in the order that neither accepts alone.
    harness.Stop();
    harness.SetParameters({{"mode", "average"}, {"combine", "sum"}});
    EXPECT_EQ(harness.Parameter("mode"), "average");
    harness.Push("a", "3");
    harness.Run(2);  // b keeps its value; one new value on a activates the block once
    EXPECT_EQ(harness.TakeOutput("output"), std::vector<std::string>{"7"});
    EXPECT_TRUE(harness.TakeMessages().empty());
}

TEST(Harness, RefusalsCarryTheBlocksReasonAndLeaveTheValuesAsTheyWere) {
    vtxhost::CBlockHarness harness(CheckModulePath("CheckSound"));
    harness.MakeBlock("Mix");
    EXPECT_EQ(RefusalOf(harness, {{"mode", "conjugate"}}),
              "block \"block\", parameter \"mode\": mode \"conjugate\" needs combine \"product\"");
    EXPECT_EQ(RefusalOf(harness, {{"gain", "0"}}),
              "block \"block\", parameter \"gain\": \"0\" is outside the parameter's domain [1, 10]");
    EXPECT_EQ(harness.Parameter("mode"), "plain");
    EXPECT_EQ(harness.Parameter("gain"), "1");
    EXPECT_THROW(harness.Push("c", "1"), vtxhost::PatchError);
    EXPECT_THROW(harness.TakeOutput("nothing"), vtxhost::PatchError);
}

TEST(Harness, AnOutputNeverTimeStampedDeliversNothingAndIsNamedAfterTheRun) {
    vtxhost::CBlockHarness harness(CheckModulePath("CheckUnstamped"));
    harness.MakeBlock("Mix");
    harness.Push("a", "1");
    harness.Push("b", "2");
    harness.Run();
    EXPECT_TRUE(harness.TakeOutput("output").empty());
    EXPECT_EQ(harness.OutputValue("output"), "3");  // written all the same
    harness.Stop();
    EXPECT_EQ(harness.UnstampedOutputs(), std::vector<std::string>{"block.output"});
}

TEST(Harness, FindsAModuleByCatalogIdInTheSearchPath) {
    setenv("VTX_MODULE_PATH", VTX_CHECK_MODULE_DIR, 1);
    vtxhost::CBlockHarness harness("CheckSound");  // the file libCheckSound.so; its catalog is "Faulty"
    unsetenv("VTX_MODULE_PATH");
    harness.MakeBlock("Step");
    EXPECT_EQ(harness.Parameter("step"), "1");
    EXPECT_THROW(vtxhost::CBlockHarness("NoSuchCatalogAnywhere"), std::runtime_error);
}

TEST(Harness, APatchOfTheModuleLoadsBesideAHarnessAndAfterIt) {
    const std::string module = CheckModulePath("CheckSound");
    const std::string text = R"({"modules": [")" + module + R"("], "blocks": [
        {"name": "a", "class": "sequence_source", "parameters": {"values": [1]}},
        {"name": "b", "class": "sequence_source", "parameters": {"values": [2]}},
        {"name": "mix", "catalog": "Faulty", "class": "Mix", "parameters": {"gain": 5}},
        {"name": "show", "class": "sink"}],
      "links": [{"from": "a.output", "to": "mix.a"}, {"from": "b.output", "to": "mix.b"},
                {"from": "mix.output", "to": "show.input"}]})";
    for (int pass = 0; pass < 2; ++pass) {
        vtxhost::CBlockHarness harness(module);
        vtxhost::CKernelServices kernel;
        vtxhost::LoadedPatch loaded = vtxhost::LoadPatchText(kernel, text, "mix.json", ".", vtxhost::SharedModuleOpener);
        loaded.patch->Start();
        loaded.patch->Run(1);
        loaded.patch->Stop();
        EXPECT_EQ(vtxhost::ReceivedValuesOf(loaded.patch->FindBlock("show"))->Received(), std::vector<std::string>{"15"});
        loaded.patch.reset();
    }
}

} // namespace
