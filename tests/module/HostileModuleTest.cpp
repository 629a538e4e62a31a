// Modules that attack the host while they load or describe themselves (tests/check/
// HostileCatalog.cpp): every tool reports them, within its time limit, and no module's own
// output passes for the tool's.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/module/ToolRun.h"

namespace {

std::string HostileModule(const std::string& behaviour) {
    return std::string(VTX_HOSTILE_MODULE_DIR) + "/libHostile" + behaviour + ".so";
}

// The line list prints for the module, or "" when there is none.
std::string LineOf(const std::string& output, const std::string& path) {
    const std::size_t at = output.find(path + ": ");
    if (at == std::string::npos) return "";
    return output.substr(at, output.find('\n', at) - at);
}

// A module that hangs with SIGALRM ignored, one that leaves a process holding the pipe,
// one that prints a forged line and one that throws through the dynamic loader: the
// listing ends in about the time limit and reports each for what it is.
TEST(HostileModules, ListReportsEachWithinItsTimeLimit) {
    const auto start = std::chrono::steady_clock::now();
    const ToolRun run = RunVtxhostSplit(std::string("list ") + VTX_HOSTILE_MODULE_DIR, "VTX_LOAD_SECONDS=2");
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(seconds.count(), 12) << run.output;
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(LineOf(run.output, HostileModule("Hang")),
              HostileModule("Hang") + ": not a module: did not finish loading within 2 s");
    EXPECT_EQ(LineOf(run.output, HostileModule("Fork")),
              HostileModule("Fork") + ": catalog Hostile, SDK 5.1.0, 3 block classes, 0 datatype classes");
    EXPECT_EQ(LineOf(run.output, HostileModule("Throw")),
              HostileModule("Throw") + ": not a module: crashed while loading (Aborted)");
    EXPECT_EQ(LineOf(run.output, HostileModule("Stdout")),
              HostileModule("Stdout") + ": catalog Hostile, SDK 5.1.0, 3 block classes, 0 datatype classes");
    EXPECT_EQ(run.output.find("forged"), std::string::npos) << run.output;
    EXPECT_EQ(run.errors.find("forged"), std::string::npos) << run.errors;
}

// check loads a module in a child process first: one that hangs or throws while it loads
// fails the first check, and vtxhost itself reports and exits 1.
TEST(HostileModules, CheckReportsAModuleThatHangsOrThrowsWhileItLoads) {
    ToolRun run = RunVtxhostSplit("check " + HostileModule("Hang"), "VTX_LOAD_SECONDS=1");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "FAIL exports: loading it in a child process did not finish within 1 s\n1 checks, 1 failed\n");
    run = RunVtxhostSplit("check " + HostileModule("Throw"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "FAIL exports: loading it in a child process ended it (Aborted)\n1 checks, 1 failed\n");
}

// An int thrown from a module's create function is no exception the host knows: each tool
// reports it and goes on (inspect, check) or refuses the patch (run) instead of aborting.
TEST(HostileModules, AForeignExceptionFromAModuleIsReportedByEveryTool) {
    const std::string module = HostileModule("Foreign");
    const std::string patch = "/tmp/vtx_hostile_foreign_" + std::to_string(::getpid()) + ".json";
    std::ofstream(patch) << R"({"name":"f","modules":[")" << module
                         << R"("],"blocks":[{"name":"g","catalog":"Hostile","class":"Gain0"}]})";
    ToolRun run = RunVtxhostSplit("run " + patch);
    std::remove(patch.c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("block \"g\": an exception of a type the host does not know"), std::string::npos)
        << run.errors;

    run = RunVtxhostSplit("inspect " + module);
    // A class that cannot be made makes inspect's status 1, its reason in the listing.
    EXPECT_EQ(run.status, 1) << run.errors;
    EXPECT_NE(run.output.find("<no block can be made: block \"Gain0\": an exception of a type the host does not know>"),
              std::string::npos)
        << run.output;

    run = RunVtxhostSplit("check " + module);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("FAIL block Gain0: created, InitInstance: the module threw an exception of a type the "
                              "host does not know"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("3 failed"), std::string::npos) << run.output;
}

// A catalog id that is not UTF-8: check fails it, list and inspect --json still describe
// the module (the stray byte replaced), and inspect's text shows it escaped.
TEST(HostileModules, ACatalogIdThatIsNotUtf8IsFailedByCheckAndShownByTheOthers) {
    const std::string module = HostileModule("BadId");
    ToolRun run = RunVtxhostSplit("check " + module);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("FAIL signature: the catalog id \"Hostile\\xff\" is not UTF-8 text\n"), std::string::npos)
        << run.output;
    run = RunVtxhostSplit("list " + std::string(VTX_HOSTILE_MODULE_DIR));
    EXPECT_EQ(LineOf(run.output, module),
              module + ": catalog Hostile\xef\xbf\xbd, SDK 5.1.0, 3 block classes, 0 datatype classes");
    run = RunVtxhostSplit("inspect " + module + " --json");
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("\"catalogId\": \"Hostile\xef\xbf\xbd\""), std::string::npos);
    run = RunVtxhostSplit("inspect " + module);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("Catalog Hostile\\xff\n"), std::string::npos) << run.output;
}

// Two modules of one catalog: the second is refused with the kernel's text, which ends in a
// line break of its own, on one line.
TEST(HostileModules, ACatalogLoadedTwiceIsRefusedOnOneLine) {
    const std::string patch = "/tmp/vtx_hostile_twice_" + std::to_string(::getpid()) + ".json";
    std::ofstream(patch) << R"({"name":"t","modules":[")" << HostileModule("Many") << R"(",")" << HostileModule("Foreign")
                         << R"("],"blocks":[]})";
    const ToolRun run = RunVtxhostSplit("run " + patch);
    std::remove(patch.c_str());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "vtxhost run: " + patch + ":1: module \"" + HostileModule("Foreign") +
                              "\" cannot be loaded: The catalog \"Hostile\" is already loaded.\n");
}

} // namespace
