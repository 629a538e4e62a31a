// Refusals with reasons, values set as one group, and the validator's warnings, through the
// built vtxhost on the test catalog's blocks Mix and Step (tests/check).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "tests/module/ToolRun.h"

namespace {

namespace fs = std::filesystem;

std::string CheckModulePath(const std::string& name) { return std::string(VTX_CHECK_MODULE_DIR) + "/lib" + name + ".so"; }

std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

// A patch of two number sources mixed by the module's Mix into a sink, written once per
// module; "parameters" are Mix's.
std::string MixPatch(const std::string& module, const std::string& parameters = "") {
    const fs::path path = fs::temp_directory_path() /
                          ("vtx_refusals_" + std::to_string(::getpid()) + "_" + module + "_" +
                           std::to_string(std::hash<std::string>{}(parameters)) + ".json");
    std::ofstream(path) << "{\"name\": \"mix\", \"modules\": [\"" << CheckModulePath(module) << "\"],\n"
                        << "\"blocks\": [\n"
                        << "  {\"name\": \"a\", \"class\": \"sequence_source\", \"parameters\": {\"values\": [1, 2]}},\n"
                        << "  {\"name\": \"b\", \"class\": \"sequence_source\", \"parameters\": {\"values\": [10, 20]}},\n"
                        << "  {\"name\": \"mix\", \"catalog\": \"Faulty\", \"class\": \"Mix\", \"parameters\": {"
                        << parameters << "}},\n"
                        << "  {\"name\": \"show\", \"class\": \"sink\"}],\n"
                        << "\"links\": [{\"from\": \"a.output\", \"to\": \"mix.a\"}, {\"from\": \"b.output\", \"to\": "
                           "\"mix.b\"},\n  {\"from\": \"mix.output\", \"to\": \"show.input\"}]}\n";
    return path.string();
}

struct RemovedFiles {
    std::vector<std::string> paths;
    ~RemovedFiles() {
        for (const std::string& path : paths) std::remove(path.c_str());
    }
};

TEST(Refusals, TheBlocksReasonAndTheDomainsBoundsReachThePerson) {
    RemovedFiles files;
    const std::string patch = MixPatch("CheckSound");
    const std::string product = MixPatch("CheckSound", R"("combine": "product", "mode": "conjugate")");
    const std::string broken = MixPatch("CheckSound", R"("mode": "average", "combine": "product")");
    files.paths = {patch, product, broken};

    const ToolRun reason = RunVtxhostSplit("run " + patch + " --activations 1 --set mix.mode=conjugate");
    EXPECT_EQ(reason.status, 1);
    EXPECT_EQ(reason.errors, "vtxhost run: --set mix.mode=conjugate: block \"mix\", parameter \"mode\": "
                             "mode \"conjugate\" needs combine \"product\"\n");
    const ToolRun bounds = RunVtxhostSplit("run " + patch + " --activations 1 --set mix.gain=12");
    EXPECT_EQ(bounds.status, 1);
    EXPECT_EQ(bounds.errors, "vtxhost run: --set mix.gain=12: block \"mix\", parameter \"gain\": \"12\" is outside "
                             "the parameter's domain [1, 10]\n");
    // In a patch file the refusal names the file, the line, and the reason of the final combination.
    const ToolRun loaded = RunVtxhostSplit("run " + broken + " --activations 1");
    EXPECT_EQ(loaded.status, 1);
    EXPECT_NE(loaded.errors.find(".json:5: block \"mix\", parameter \""), std::string::npos) << loaded.errors;
    EXPECT_NE(loaded.errors.find("\"average\""), std::string::npos) << loaded.errors;
    // A value given in the patch file and accepted runs as given.
    const ToolRun run = RunVtxhostSplit("run " + product + " --activations 2");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("show: -10\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("show: -40\n"), std::string::npos) << run.output;
}

TEST(Refusals, ValuesSetTogetherAreOneGroupAndTheLastValueOfAParameterWins) {
    RemovedFiles files;
    const std::string product = MixPatch("CheckSound", R"("combine": "product", "mode": "conjugate")");
    files.paths = {product};
    // From (product, conjugate) to (sum, average): neither value is accepted alone, in
    // either order, but the pair is.
    for (const std::string& settings : {std::string("--set mix.combine=sum --set mix.mode=average"),
                                        std::string("--set mix.mode=average --set mix.combine=sum")}) {
        SCOPED_TRACE(settings);
        const ToolRun run = RunVtxhostSplit("run " + product + " --activations 1 " + settings);
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_NE(run.output.find("show: 5.5\n"), std::string::npos) << run.output;  // (1 + 10) / 2
    }
    // The refused first value of "mode" must not come back after the later one.
    const ToolRun last = RunVtxhostSplit("run " + product +
                                         " --activations 1 --set mix.mode=average --set mix.combine=sum --set mix.mode=plain");
    EXPECT_EQ(last.status, 0) << last.errors;
    EXPECT_NE(last.output.find("show: 11\n"), std::string::npos) << last.output;
    // A combination the block refuses still fails, with the block's reason, and nothing runs.
    const ToolRun refused = RunVtxhostSplit("run " + product + " --activations 1 --set mix.mode=average");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.errors.find("mode \"average\" needs combine \"sum\""), std::string::npos) << refused.errors;
    EXPECT_EQ(refused.output.find("[1]"), std::string::npos) << refused.output;
}

TEST(Refusals, TheLogGoesToStandardErrorNamingEachParameterAndValue) {
    RemovedFiles files;
    const std::string product = MixPatch("CheckSound", R"("combine": "product", "mode": "conjugate")");
    files.paths = {product};
    const ToolRun run = RunVtxhostSplit("run " + product + " --activations 1 --trace-level 4 --set mix.mode=average "
                                        "--set mix.combine=sum");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.output.find("log: "), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("show: 5.5\n"), std::string::npos) << run.output;
    // The refusal of the value alone, then the group's values taken.
    const std::size_t refused = run.errors.find("log: Block mix: parameter \"mode\" kept its value: block \"mix\", "
                                                "parameter \"mode\": mode \"average\" needs combine \"sum\"\n");
    const std::size_t taken = run.errors.rfind("log: Block mix: parameter \"mode\" set to \"average\"\n"
                                               "log: Block mix: method OnChangingParameter starting\n");
    EXPECT_NE(refused, std::string::npos) << run.errors;
    EXPECT_NE(taken, std::string::npos) << run.errors;
    EXPECT_LT(refused, taken);

    const std::string logFile = ::testing::TempDir() + "vtx_refusals_" + std::to_string(::getpid()) + ".log";
    files.paths.push_back(logFile);
    const ToolRun logged = RunVtxhostSplit("run " + product + " --activations 1 --trace-level 6 --log " + logFile);
    EXPECT_EQ(logged.status, 0);
    EXPECT_EQ(logged.errors, "");
    std::ifstream in(logFile);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("log: Block mix: method Execute returned\n"), std::string::npos) << log;
    EXPECT_EQ(RunVtxhostSplit("run " + product + " --log /nonexistent/folder/x.log").status, 1);
}

TEST(Refusals, ABlockThatAnswersFalseIsReportedWithAHintAndItsName) {
    const fs::path path = fs::temp_directory_path() / ("vtx_refusals_scale_" + std::to_string(::getpid()) + ".json");
    RemovedFiles files{{path.string()}};
    std::ofstream(path) << R"({"modules": [")" << SDK_EXAMPLE_MODULE_PATH << R"("], "blocks": [
        {"name": "fractions", "class": "sequence_source",
         "parameters": {"catalog": "SdkExample", "class": "Fraction", "values": ["2147483647/2"]}},
        {"name": "scaled", "catalog": "SdkExample", "class": "Scale", "parameters": {"factor": 3}}],
      "links": [{"from": "fractions.output", "to": "scaled.input"}]})";
    const ToolRun run = RunVtxhostSplit("run " + path.string() + " --activations 1");
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.output.find("message (kind 3) from scaled: Block scaled: error in method Execute (the block's "
                              "OnExecute answered false without saying why)\n"),
              std::string::npos)
        << run.output;
}

TEST(Refusals, RunWarnsOnceOfAnOutputWrittenButNeverTimeStamped) {
    RemovedFiles files;
    const std::string unstamped = MixPatch("CheckUnstamped");
    const std::string sound = MixPatch("CheckSound");
    files.paths = {unstamped, sound};
    const ToolRun run = RunVtxhostSplit("run " + unstamped + " --activations 3");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(LinesStartingWith(run.output, "  show:").empty()) << run.output;
    EXPECT_EQ(run.errors, "vtxhost run: warning: output \"mix.output\" was written but never time-stamped, so no input "
                          "received it (a block stamps each new value with GetInitClockTime())\n");
    const ToolRun stamped = RunVtxhostSplit("run " + sound + " --activations 3");
    EXPECT_EQ(stamped.status, 0);
    EXPECT_EQ(stamped.errors, "");
    EXPECT_EQ(LinesStartingWith(stamped.output, "  show:").size(), 2u) << stamped.output;  // two values a source
}

TEST(Refusals, CheckCountsRefusalsWithReasonsAsTheBlocksRuleNotAsFaults) {
    const ToolRun run = RunVtxhost("check " + CheckModulePath("CheckSound"));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(LinesStartingWith(run.output, "FAIL").empty()) << run.output;
    EXPECT_TRUE(LinesStartingWith(run.output, "WARN").empty()) << run.output;
    const std::vector<std::string> changed =
        LinesStartingWith(run.output, "PASS block Mix: parameters changed, stored signature reloads: 1 of 3 parameters "
                                      "changed (6 values refused with a reason, first: \"combine is \"sum\" or");
    EXPECT_EQ(changed.size(), 1u) << run.output;
    EXPECT_EQ(LinesStartingWith(run.output, "PASS block Mix: declared defaults: 3 of 3").size(), 1u) << run.output;
}

TEST(Refusals, InspectShowsTheChoicesOfAComboLayout) {
    const ToolRun run = RunVtxhost("inspect " + CheckModulePath("CheckSound") + " Mix");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("      combine\n        Name: Combine\n        Description: \"sum\" or \"product\"\n"
                              "        Datatype: kernel/string\n        Default: sum\n        Choices: sum, product\n"),
              std::string::npos)
        << run.output;
}

TEST(Refusals, CheckWarnsOfLikelyFaultsAndFailsOnThemOnlyWhenStrict) {
    struct Case {
        const char* module;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {"CheckUnstamped",
         {"WARN block Step: output \"output\": written during Execute but its timestamp never changed",
          "WARN block Mix: output \"output\": written during Execute but its timestamp never changed"}},
        {"CheckTextForm",
         {"WARN block Step: output \"output\": its value's text form \"+"}},
        {"CheckRefusedDefault",
         {"WARN block Mix: parameter \"combine\": the block refuses its own declared default \"product\": combine "
          "\"product\" does not suit mode \"average\"",
          "WARN block Mix: parameter \"mode\": the block refuses its own declared default \"average\": mode "
          "\"average\" needs combine \"sum\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        const ToolRun run = RunVtxhost("check " + CheckModulePath(c.module));
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(LinesStartingWith(run.output, "FAIL").empty()) << run.output;
        const std::vector<std::string> warned = LinesStartingWith(run.output, "WARN");
        ASSERT_EQ(warned.size(), c.warnings.size()) << run.output;
        for (std::size_t i = 0; i < warned.size(); ++i) EXPECT_EQ(warned[i].rfind(c.warnings[i], 0), 0u) << warned[i];
        const std::string summary = std::to_string(warned.size()) + (warned.size() == 1 ? " warning" : " warnings");
        EXPECT_NE(run.output.find(", 0 failed, " + summary + "\n"), std::string::npos) << run.output;

        const ToolRun strict = RunVtxhost("check " + CheckModulePath(c.module) + " --strict");
        EXPECT_EQ(strict.status, 1) << strict.output;
        EXPECT_NE(strict.output.find(summary + " (--strict: failing)\n"), std::string::npos) << strict.output;
    }
    EXPECT_EQ(RunVtxhost("check " + CheckModulePath("CheckSound") + " --strict").status, 0);
    EXPECT_EQ(RunVtxhostSplit("check --strict").status, 2);
}

} // namespace
