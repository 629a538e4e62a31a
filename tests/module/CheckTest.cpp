// vtxhost check on modules with one fault each: it fails exactly the check the fault
// breaks, with the reason, and exits 1; it passes the sound modules and exits 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/module/ToolRun.h"

namespace {

std::string CheckModulePath(const std::string& name) { return std::string(VTX_CHECK_MODULE_DIR) + "/lib" + name + ".so"; }

std::vector<std::string> FailedLines(const std::string& output) {
    std::vector<std::string> failed;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("FAIL ", 0) == 0) failed.push_back(line);
    return failed;
}

// A sanitizer run must not count the object the leaking module keeps as a leak of vtxhost.
class LeakDetectionOff {
public:
    LeakDetectionOff() {
        const char* options = std::getenv("ASAN_OPTIONS");
        saved_ = options ? options : "";
        had_ = options != nullptr;
        setenv("ASAN_OPTIONS", (saved_ + ":detect_leaks=0").c_str(), 1);
    }
    ~LeakDetectionOff() {
        if (had_) setenv("ASAN_OPTIONS", saved_.c_str(), 1);
        else unsetenv("ASAN_OPTIONS");
    }

private:
    std::string saved_;
    bool had_;
};

TEST(VtxhostCheck, FailsEachFaultyModuleWithTheReasonOfItsFault) {
    struct Case {
        const char* module;
        const char* failedCheck;
        const char* reason;
    };
    const Case cases[] = {
        {"CheckWrongSize", "FAIL datatype Counter: binary form: ", "accepted a binary form of 5 bytes (its own has 4)"},
        {"CheckThrowingExecute", "FAIL block Step: lifecycle: ", "Execute 1 trapped an exception: "},
        {"CheckNullName", "FAIL records: authors: ", "(\"nameless_author\"): null name"},
        {"CheckLeakedDatatype", "FAIL objects released: ", "kernel/double datatype, held 1 more time"},
        {"CheckMissingExport", "FAIL exports: ", "does not export VtxUserDll_GetDllLanguageID"},
    };
    LeakDetectionOff leakDetectionOff;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        const ToolRun run = RunVtxhost("check " + CheckModulePath(c.module));
        EXPECT_EQ(run.status, 1) << run.output;
        const std::vector<std::string> failed = FailedLines(run.output);
        ASSERT_EQ(failed.size(), 1u) << run.output;
        EXPECT_EQ(failed[0].rfind(c.failedCheck, 0), 0u) << failed[0];
        EXPECT_NE(failed[0].find(c.reason), std::string::npos) << failed[0];
    }
}

TEST(VtxhostCheck, PassesSoundModules) {
    for (const std::string& module :
         {CheckModulePath("CheckSound"), std::string(VTX_MODULE_PATH), std::string(SDK_EXAMPLE_MODULE_PATH)}) {
        SCOPED_TRACE(module);
        const ToolRun run = RunVtxhost("check " + module);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(FailedLines(run.output).empty()) << run.output;
        // The block classes went through their whole lifecycle and every object came back.
        EXPECT_NE(run.output.find(": lifecycle: Init, Start, 5 Executes"), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("PASS objects released: all "), std::string::npos) << run.output;
    }
}

TEST(VtxhostCheck, RefusesAModuleThatCannotBeLoadedAndAWrongCommandLine) {
    const ToolRun missing = RunVtxhost("check /nonexistent/libNothing.so");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(FailedLines(missing.output).size(), 1u) << missing.output;
    EXPECT_EQ(RunVtxhost("check").status, 2);
    EXPECT_EQ(RunVtxhost("check a.so b.so").status, 2);
}

} // namespace
