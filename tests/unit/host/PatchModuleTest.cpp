#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/KernelBlocks.h"
#include "host/KernelServices.h"
#include "host/ModuleOpener.h"
#include "host/PatchFile.h"

using vtxhost::CKernelServices;
using vtxhost::LoadPatchText;
using vtxhost::PatchError;

namespace {

// Patches over the built module, loaded with dlopen as vtxhost loads it.
std::vector<std::string> RunAndCollect(const std::string& blocksAndLinks, int rounds) {
    CKernelServices kernel;
    const std::string text = std::string("{\"modules\": [\"") + VTX_MODULE_PATH + "\"], " + blocksAndLinks + "}";
    auto loaded = LoadPatchText(kernel, text, "m.json", ".", vtxhost::OpenModuleCatalog);
    loaded.patch->Start();
    loaded.patch->Run(rounds);
    loaded.patch->Stop();
    return vtxhost::ReceivedValuesOf(loaded.patch->FindBlock("show"))->Received();
}

TEST(PatchWithModule, GeneratorSendsItsLabelledIntervalsEveryPeriod) {
    const auto received = RunAndCollect(R"(
      "blocks": [
        {"name": "gen", "catalog": "Brennick2010", "class": "LabelledSetIntervalGenerator",
         "parameters": {"num_items": 3, "label_0": "x", "min_0": 5, "max_0": 1, "label_2": "z", "min_2": -1.5}},
        {"name": "show", "class": "sink"}],
      "links": [{"from": "gen.output", "to": "show.input"}])",
                                        2);
    const std::string set = R"({"element":["Brennick2010","Interval"],"items":[{"label":"x","value":"5,1"},)"
                            R"({"label":"z","value":"-1.5,0"}]})";
    EXPECT_EQ(received, (std::vector<std::string>{set, set}));
}

TEST(PatchWithModule, VectorStoresAndReadsBackIntervalsOfItsInput) {
    const auto received = RunAndCollect(R"(
      "blocks": [
        {"name": "src", "class": "sequence_source",
         "parameters": {"catalog": "Brennick2010", "class": "Interval", "values": ["0,1", "2,3"]}},
        {"name": "vec", "catalog": "Brennick2010", "class": "Vector",
         "parameters": {"size": 2, "write_position": 1, "read_position": 1}},
        {"name": "show", "class": "sink"}],
      "links": [{"from": "src.output", "to": "vec.input"}, {"from": "vec.output", "to": "show.input"}])",
                                        3);
    EXPECT_EQ(received, (std::vector<std::string>{"0,1", "2,3"}));
}

TEST(PatchWithModule, ParametersOfModuleBlocksAreCheckedByTheirDomains) {
    CKernelServices kernel;
    const std::string text = std::string("{\"modules\": [\"") + VTX_MODULE_PATH + "\"],\n" +
                             R"("blocks": [{"name": "vec", "catalog": "Brennick2010", "class": "Vector",
  "parameters": {"size": 0}}]})";
    try {
        LoadPatchText(kernel, text, "m.json", ".", vtxhost::OpenModuleCatalog);
        FAIL() << "accepted";
    } catch (const PatchError& e) {
        EXPECT_STREQ(e.what(), "m.json:3: block \"vec\", parameter \"size\": \"0\" is outside the parameter's domain");
    }
}

TEST(PatchWithModule, AFileThatIsNoModuleIsRefused) {
    CKernelServices kernel;
    const std::string notAModule = std::string(VTX_SOURCE_DIR) + "/examples/kernel-sequence.json";
    const std::string text = "{\"modules\": [\"" + notAModule + "\"]}";
    try {
        LoadPatchText(kernel, text, "m.json", ".", vtxhost::OpenModuleCatalog);
        FAIL() << "accepted";
    } catch (const PatchError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("m.json:1: module \"" + notAModule + "\" cannot be loaded: ", 0), 0u)
            << e.what();
    }
    EXPECT_EQ(kernel.FindCatalog("Brennick2010"), nullptr);
}

} // namespace
