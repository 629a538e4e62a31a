// The catalog's two blocks in patches of the reference host, loaded from the built module:
// the example patches, and patches saved with their stored signatures and loaded back,
// which give each block its signature through InitInstance (CheckSignature) instead of
// letting it build its own.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/KernelBlocks.h"
#include "host/KernelServices.h"
#include "host/ModuleOpener.h"
#include "host/PatchFile.h"
#include "host/PatchSave.h"
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

// An example patch with its module path pointed at the module under test.
std::string Example(const std::string& name) {
    std::string text = ReadFile(std::string(VTX_SOURCE_DIR) + "/examples/" + name);
    const std::string relative = "\"../build/libBrennick2010.so\"";
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

TEST(CatalogBlocksPatch, TheGeneratorExampleSendsItsThreeLabelledIntervalsEachActivation) {
    Host host(Example("labelled-intervals.json"));
    const std::string set = R"({"element":["Brennick2010","Interval"],"items":[{"label":"low","value":"0,0.5"},)"
                            R"({"label":"high","value":"0.5,1"},{"label":"reversed","value":"5,1"}]})";
    EXPECT_EQ(host.Run(3), (std::vector<std::vector<std::string>>{{set, set, set}}));
    EXPECT_TRUE(host.kernel.Dispatcher().Messages().empty());
}

TEST(CatalogBlocksPatch, TheVectorExampleFollowsItsInputAtTheSamePositionOnly) {
    Host host(Example("vector-doubles.json"));
    EXPECT_EQ(host.Run(5), (std::vector<std::vector<std::string>>{{"1.5", "2.25", "-3", "4", "1.5"},
                                                                   {"0", "0", "0", "0", "0"}}));
}

TEST(CatalogBlocksPatch, ASavedGeneratorIsCheckedAgainstItsStoredSignatureAndKeepsItsValues) {
    std::string saved;
    std::vector<std::vector<std::string>> before;
    {
        Host original(Example("labelled-intervals.json"));
        saved = original.Save();
        before = original.Run(2);
    }
    Host reloaded(saved, 5);
    EXPECT_EQ(reloaded.Traces("intervals"),
              (std::vector<std::string>{"CheckSignature starting\n", "CheckSignature returned\n"}));
    EXPECT_TRUE(reloaded.Messages(4).empty());
    EXPECT_EQ(reloaded.Value("intervals", "num_items"), "3");
    EXPECT_EQ(reloaded.Value("intervals", "label_2"), "reversed");
    EXPECT_EQ(reloaded.Value("intervals", "min_2"), "5");
    EXPECT_EQ(reloaded.Run(2), before);
}

TEST(CatalogBlocksPatch, AStoredGeneratorWithoutAnItemParameterFallsBackToItsOwnSignature) {
    std::string saved;
    {
        Host original(Example("labelled-intervals.json"));
        saved = WithoutStoredParameter(original.Save(), "intervals", "max_1");
    }
    Host reloaded(saved, 5);
    const auto traces = reloaded.Traces("intervals");
    ASSERT_GE(traces.size(), 3u);
    EXPECT_EQ(traces[0], "CheckSignature starting\n");
    EXPECT_EQ(traces[1], "InitSignature starting\n");  // CheckSignature failed: no "returned"
    const auto reports = reloaded.Messages(4);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("in method InitInstance"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("max_1"), std::string::npos) << reports[0];
    // The rebuilt signature took the stored values over; the missing bound is the default.
    EXPECT_EQ(reloaded.Value("intervals", "num_items"), "3");
    EXPECT_EQ(reloaded.Value("intervals", "label_1"), "high");
    EXPECT_EQ(reloaded.Value("intervals", "min_1"), "0.5");
    EXPECT_EQ(reloaded.Value("intervals", "max_1"), "0");
    const auto received = reloaded.Run(1);
    ASSERT_EQ(received.size(), 1u);
    ASSERT_EQ(received[0].size(), 1u);
    EXPECT_NE(received[0][0].find(R"({"label":"high","value":"0.5,0"})"), std::string::npos) << received[0][0];
}

TEST(CatalogBlocksPatch, ASavedVectorKeepsItsSizeAndPositions) {
    std::string saved;
    {
        Host original(Example("vector-doubles.json"));
        saved = original.Save();
    }
    Host reloaded(saved, 5);
    EXPECT_EQ(reloaded.Traces("store"),
              (std::vector<std::string>{"CheckSignature starting\n", "CheckSignature returned\n"}));
    EXPECT_EQ(reloaded.Value("store", "size"), "4");
    EXPECT_EQ(reloaded.Value("other_slot", "write_position"), "1");
    EXPECT_EQ(reloaded.Value("other_slot", "read_position"), "2");
    EXPECT_EQ(reloaded.Run(3), (std::vector<std::vector<std::string>>{{"1.5", "2.25", "-3"}, {"0", "0", "0"}}));
}

TEST(CatalogBlocksPatch, AStoredVectorWithoutAParameterFallsBackAndKeepsTheOthers) {
    std::string saved;
    {
        Host original(Example("vector-doubles.json"));
        saved = WithoutStoredParameter(original.Save(), "store", "enable_read");
    }
    Host reloaded(saved);
    EXPECT_EQ(reloaded.Messages(4).size(), 1u);
    EXPECT_EQ(reloaded.Value("store", "size"), "4");
    EXPECT_EQ(reloaded.Value("store", "read_position"), "3");
    EXPECT_EQ(reloaded.Value("store", "enable_read"), "true");
    EXPECT_EQ(reloaded.Run(2)[0], (std::vector<std::string>{"1.5", "2.25"}));
}

// vtxhost save, then vtxhost run of the saved file, as a user runs them.
TEST(CatalogBlocksPatch, VtxhostSavesAPatchThatRunsAsTheOriginal) {
    const std::string folder = ::testing::TempDir();
    const std::string patch = folder + "/catalog-blocks-original.json";
    const std::string saved = folder + "/catalog-blocks-saved.json";
    std::ofstream(patch) << Example("labelled-intervals.json");
    auto run = [](const std::string& command) {
        FILE* pipe = popen(command.c_str(), "r");
        std::string output;
        std::array<char, 4096> buffer;
        for (std::size_t n; pipe && (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
            output.append(buffer.data(), n);
        const int status = pipe ? pclose(pipe) : -1;
        return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, output);
    };
    const std::string tool = VTX_HOST_TOOL_PATH;
    const auto save = run(tool + " save " + patch + " " + saved);
    EXPECT_EQ(save.first, 0) << save.second;
    const auto original = run(tool + " run " + patch + " --activations 2");
    const auto reloaded = run(tool + " run " + saved + " --activations 2");
    EXPECT_EQ(reloaded.first, 0);
    EXPECT_EQ(reloaded.second, original.second);
    EXPECT_NE(ReadFile(saved).find("\"signature\""), std::string::npos);
    std::remove(patch.c_str());
    std::remove(saved.c_str());
}

} // namespace
