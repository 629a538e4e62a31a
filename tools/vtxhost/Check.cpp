// vtxhost check: the conformance check of a catalog module, for catalog authors. Loads the
// module as the platform host does, uses it through its exports only, and prints one line
// per check: PASS with what was checked, or FAIL with the reason. Exits 1 when any check
// failed.
#include <cstdio>
#include <string>

#include "host/check/CheckReport.h"
#include "host/check/ModuleCheck.h"
#include "host/run/PrintableText.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

namespace vtxhost {

namespace {

constexpr const char* kUsage = "check MODULE.so";
constexpr const char* kHelp =
    "The conformance check of a catalog module, for catalog authors: loads the module as a\n"
    "host does, uses it through its exports only, and prints one line per check, PASS with\n"
    "what was checked or FAIL with the reason. The exit status is 1 when any check failed.\n"
    "The module is first loaded in a child process, given 30 s (VTX_LOAD_SECONDS sets another\n"
    "limit, 1 to 3600): one that crashes, hangs or throws while it loads fails the first\n"
    "check instead of taking vtxhost with it.\n";

int Check(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: vtxhost %s\n", kUsage);
        return kExitUsage;
    }
    CCheckReport report([](const CheckResult& result) {
        std::printf("%s %s%s%s\n", result.passed ? "PASS" : "FAIL", PrintableText(result.name).c_str(),
                    result.detail.empty() ? "" : ": ", PrintableText(result.detail).c_str());
        std::fflush(stdout);
    });
    // A file name without a folder means the file here, not a library the loader searches for.
    std::string path = argv[1];
    if (path.find('/') == std::string::npos) path = "./" + path;
    CheckModule(path, report);
    const std::size_t failed = report.FailureCount();
    std::printf("%zu checks, %zu failed\n", report.Results().size(), failed);
    return failed ? kExitRefused : kExitSuccess;
}

const CommandRegistrar registrar("check", kUsage, Check, kHelp);

} // namespace

} // namespace vtxhost
