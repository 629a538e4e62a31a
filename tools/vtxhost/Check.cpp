// vtxhost check: the conformance check of a catalog module, for catalog authors. Loads the
// module as the platform host does, uses it through its exports only, and prints one line
// per check: PASS with what was checked, FAIL with the reason, or WARN with a likely fault
// that does not fail the check unless --strict is given. Exits 1 when any check failed.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/check/CheckReport.h"
#include "host/check/ModuleCheck.h"
#include "host/run/PrintableText.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

namespace vtxhost {

namespace {

constexpr const char* kUsage = "check MODULE.so [--strict]";
constexpr const char* kHelp =
    "The conformance check of a catalog module, for catalog authors: loads the module as a\n"
    "host does, uses it through its exports only, and prints one line per check, PASS with\n"
    "what was checked or FAIL with the reason. A value a block refuses (by answering false,\n"
    "or by throwing a logic exception with its reason) is a refusal, not a fault. WARN lines\n"
    "name likely faults that do not fail the check: an output written during Execute whose\n"
    "timestamp never changes (no input ever receives it), a declared default the block\n"
    "refuses itself, an output value whose text form does not read back. The exit status is\n"
    "1 when any check failed. The module is first loaded in a child process, given 30 s\n"
    "(VTX_LOAD_SECONDS sets another limit, 1 to 3600): one that crashes, hangs or throws while\n"
    "it loads fails the first check instead of taking vtxhost with it.\n"
    "\n"
    "  --strict   warnings fail the check as well (exit status 1)\n";

int Check(int argc, char** argv) {
    const char* module = nullptr;
    bool strict = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--strict")) {
            strict = true;
        } else if (argv[i][0] == '-' || module) {
            std::fprintf(stderr, "usage: vtxhost %s\n", kUsage);
            return kExitUsage;
        } else {
            module = argv[i];
        }
    }
    if (!module) {
        std::fprintf(stderr, "usage: vtxhost %s\n", kUsage);
        return kExitUsage;
    }
    CCheckReport report([](const CheckResult& result) {
        std::printf("%s %s%s%s\n", result.warning ? "WARN" : result.passed ? "PASS" : "FAIL",
                    PrintableText(result.name).c_str(), result.detail.empty() ? "" : ": ",
                    PrintableText(result.detail).c_str());
        std::fflush(stdout);
    });
    // A file name without a folder means the file here, not a library the loader searches for.
    std::string path = module;
    if (path.find('/') == std::string::npos) path = "./" + path;
    CheckModule(path, report);
    const std::size_t failed = report.FailureCount();
    const std::size_t warned = report.WarningCount();
    std::printf("%zu checks, %zu failed", report.Results().size() - warned, failed);
    if (warned) std::printf(", %zu %s%s", warned, warned == 1 ? "warning" : "warnings", strict ? " (--strict: failing)" : "");
    std::printf("\n");
    return failed || (strict && warned) ? kExitRefused : kExitSuccess;
}

const CommandRegistrar registrar("check", kUsage, Check, kHelp);

} // namespace

} // namespace vtxhost
