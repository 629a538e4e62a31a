#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/PatchFile.h"

using vtxhost::CKernelServices;
using vtxhost::LoadPatchText;
using vtxhost::PatchError;

namespace {

// Patches over the built module, loaded with dlopen as vtxhost loads it.
std::string WithModule(const std::string& rest) {
    return std::string("{\"modules\": [\"") + VTX_MODULE_PATH + "\"],\n" + rest + "}";
}

std::string Refusal(CKernelServices& kernel, const std::string& text) {
    try {
        LoadPatchText(kernel, text, "m.json", ".", vtxhost::OpenModuleCatalog);
    } catch (const PatchError& e) {
        return e.what();
    }
    return "accepted";
}

// Parameters are applied in the order given, so that items declared by "num_items" can be
// set after it; items without a label are left out of the set.
TEST(PatchWithModule, GeneratorSendsItsLabelledIntervalsEveryPeriod) {
    CKernelServices kernel;
    auto loaded = LoadPatchText(kernel, WithModule(R"(
      "blocks": [
        {"name": "gen", "catalog": "Brennick2010", "class": "LabelledSetIntervalGenerator",
         "parameters": {"num_items": 3, "label_0": "x", "min_0": 5, "max_0": 1, "label_2": "z", "min_2": -1.5}},
        {"name": "show", "class": "sink"}],
      "links": [{"from": "gen.output", "to": "show.input"}])"),
                                "m.json", ".", vtxhost::OpenModuleCatalog);
    loaded.patch->Start();
    loaded.patch->Run(2);
    loaded.patch->Stop();
    const std::string set = R"({"element":["Brennick2010","Interval"],"items":[{"label":"x","value":"5,1"},)"
                            R"({"label":"z","value":"-1.5,0"}]})";
    EXPECT_EQ(vtxhost::ReceivedValuesOf(loaded.patch->FindBlock("show"))->Received(),
              (std::vector<std::string>{set, set}));
}

TEST(PatchWithModule, ModuleBlockParametersAreCheckedAndNonModulesRefused) {
    CKernelServices kernel;
    EXPECT_EQ(Refusal(kernel, WithModule(R"("blocks": [{"name": "vec", "catalog": "Brennick2010", "class": "Vector",
  "parameters": {"size": 0}}])")),
              "m.json:3: block \"vec\", parameter \"size\": \"0\" is outside the parameter's domain [1, +inf)");

    CKernelServices other;
    const std::string notAModule = std::string(VTX_SOURCE_DIR) + "/examples/kernel-sequence.json";
    const std::string error = Refusal(other, "{\"modules\": [\"" + notAModule + "\"]}");
    EXPECT_EQ(error.rfind("m.json:1: module \"" + notAModule + "\" cannot be loaded: ", 0), 0u) << error;
    EXPECT_EQ(other.FindCatalog("Brennick2010"), nullptr);
}

} // namespace
