// The catalog's two blocks in the example patches of the reference host, loaded from the
// built module, saved with their stored signatures and loaded back: each block is given its
// signature through InitInstance (CheckSignature) instead of building its own. What the
// examples send is checked by their own runs of vtxhost.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchSave.h"
#include "tests/module/ToolRun.h"
#include "vtx/BlockSignature.h"
#include "vtx/Datatype.h"
#include "vtx/Pin.h"
#include "vtx/Serialize.h"

using vtxhost::CKernelServices;
using vtxhost::LoadedPatch;

namespace {

const std::string kModule = VTX_MODULE_PATH;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// An example patch with its module, named by its catalog id, pointed at the module under test.
std::string Example(const std::string& name) {
    std::string text = ReadFile(std::string(VTX_SOURCE_DIR) + "/examples/" + name);
    const std::string relative = "\"Brennick2010\"";
    const auto at = text.find(relative);
    if (at != std::string::npos) text.replace(at, relative.size(), "\"" + kModule + "\"");
    return text;
}

// One kernel with its patch, the kernel tracing every block method from the start.
struct Host {
    CKernelServices kernel;
    LoadedPatch loaded;

    explicit Host(const std::string& text, int traceLevel = 0) {
        kernel.SetInt64Setting("kernel", "trace_level", traceLevel);
        loaded = vtxhost::LoadPatchText(kernel, text, "patch.json", ".", vtxhost::OpenModuleCatalog);
    }
    ~Host() { loaded.patch.reset(); }

    vtxhost::CPatch& Patch() { return *loaded.patch; }
    std::string Save() { return vtxhost::SavePatchText(Patch(), loaded.modulePaths); }

    // What each sink received in the given number of rounds, sink by sink.
    std::vector<std::vector<std::string>> Run(int rounds) {
        Patch().Start();
        Patch().Run(rounds);
        Patch().Stop();
        std::vector<std::vector<std::string>> received;
        for (const std::string& name : Patch().BlockNames())
            if (auto* sink = vtxhost::ReceivedValuesOf(Patch().FindBlock(name))) received.push_back(sink->Received());
        return received;
    }

    std::string Value(const char* block, const char* parameter) {
        Vtx::IParameterPinSignature* found = Patch().FindBlock(block)->GetSignature()->FindParameter(parameter);
        Vtx::ProducedText text(found->GetValue());
        return text.get();
    }

    // The log's method traces of one block, as "method phase".
    std::vector<std::string> Traces(const std::string& block) {
        std::vector<std::string> traces;
        const std::string prefix = "Block " + block + ": method ";
        for (const auto& entry : kernel.Log().Entries())
            if (entry.text.rfind(prefix, 0) == 0) traces.push_back(entry.text.substr(prefix.size()));
        return traces;
    }

    std::vector<std::string> Messages(int kind) {
        std::vector<std::string> texts;
        for (const auto& message : kernel.Dispatcher().Messages())
            if (message.kind == kind) texts.push_back(message.text);
        return texts;
    }
};

// Removes one parameter from a block's stored signature in a saved patch.
std::string WithoutStoredParameter(const std::string& saved, const std::string& block, const std::string& id) {
    auto document = nlohmann::ordered_json::parse(saved);
    for (auto& entry : document["blocks"]) {
        if (entry["name"] != block) continue;
        auto& parameters = entry["signature"]["parameters"];
        for (auto it = parameters.begin(); it != parameters.end(); ++it)
            if ((*it)["id"] == id) {
                parameters.erase(it);
                break;
            }
    }
    return document.dump(2);
}

using Values = std::vector<std::pair<const char*, const char*>>;  // parameter, value text

// Each example saved and loaded back: its block is checked against its stored signature
// (no signature of its own is built) and keeps its values and its output.
TEST(CatalogBlocksPatch, ASavedBlockIsCheckedAgainstItsStoredSignatureAndKeepsItsValues) {
    struct Case {
        const char* example;
        const char* block;
        Values values;
    };
    const Case cases[] = {
        {"labelled-intervals.json", "intervals", {{"num_items", "3"}, {"label_2", "reversed"}, {"min_2", "5"}}},
        {"vector-doubles.json", "store", {{"size", "4"}, {"read_position", "3"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.example);
        std::string saved;
        std::vector<std::vector<std::string>> before;
        {
            Host original(Example(c.example));
            saved = original.Save();
            before = original.Run(3);
        }
        Host reloaded(saved, 5);
        EXPECT_EQ(reloaded.Traces(c.block),
                  (std::vector<std::string>{"CheckSignature starting\n", "CheckSignature returned\n"}));
        EXPECT_TRUE(reloaded.Messages(4).empty());
        for (const auto& [parameter, value] : c.values) EXPECT_EQ(reloaded.Value(c.block, parameter), value) << parameter;
        EXPECT_EQ(reloaded.Run(3), before);
    }
}

// A stored signature that lacks a parameter is refused by the block, which reports it and
// builds its own signature, taking the stored values over; the missing one is the default.
TEST(CatalogBlocksPatch, AStoredSignatureWithoutAParameterFallsBackToTheBlocksOwn) {
    struct Case {
        const char* example;
        const char* block;
        const char* removed;
        Values values;
        const char* firstOutput;  // part of the first value the first sink receives
    };
    const Case cases[] = {
        {"labelled-intervals.json", "intervals", "max_1",
         {{"num_items", "3"}, {"label_1", "high"}, {"min_1", "0.5"}, {"max_1", "0"}},
         R"({"label":"high","value":"0.5,0"})"},
        {"vector-doubles.json", "store", "enable_read",
         {{"size", "4"}, {"read_position", "3"}, {"enable_read", "true"}}, "1.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.example);
        std::string saved;
        {
            Host original(Example(c.example));
            saved = WithoutStoredParameter(original.Save(), c.block, c.removed);
        }
        Host reloaded(saved, 5);
        const auto traces = reloaded.Traces(c.block);
        ASSERT_GE(traces.size(), 2u);
        EXPECT_EQ(traces[0], "CheckSignature starting\n");
        EXPECT_EQ(traces[1], "InitSignature starting\n");  // CheckSignature failed: no "returned"
        const auto reports = reloaded.Messages(4);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_NE(reports[0].find("in method InitInstance"), std::string::npos) << reports[0];
        EXPECT_NE(reports[0].find(c.removed), std::string::npos) << reports[0];
        for (const auto& [parameter, value] : c.values) EXPECT_EQ(reloaded.Value(c.block, parameter), value) << parameter;
        const auto received = reloaded.Run(1);
        ASSERT_FALSE(received.empty());
        ASSERT_EQ(received[0].size(), 1u);
        EXPECT_NE(received[0][0].find(c.firstOutput), std::string::npos) << received[0][0];
    }
}

// vtxhost save, then vtxhost run of the saved file, as a user runs them.
TEST(CatalogBlocksPatch, VtxhostSavesAPatchThatRunsAsTheOriginal) {
    const std::string folder = ::testing::TempDir();
    const std::string patch = folder + "/catalog-blocks-original.json";
    const std::string saved = folder + "/catalog-blocks-saved.json";
    std::ofstream(patch) << Example("labelled-intervals.json");
    const ToolRun save = RunVtxhost("save " + patch + " " + saved);
    EXPECT_EQ(save.status, 0) << save.output;
    const ToolRun original = RunVtxhost("run " + patch + " --activations 2");
    const ToolRun reloaded = RunVtxhost("run " + saved + " --activations 2");
    EXPECT_EQ(reloaded.status, 0);
    EXPECT_EQ(reloaded.output, original.output);
    EXPECT_NE(ReadFile(saved).find("\"signature\""), std::string::npos);
    std::remove(patch.c_str());
    std::remove(saved.c_str());
}

} // namespace
