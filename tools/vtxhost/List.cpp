// vtxhost list [DIR...]
// Lists the catalog modules found in the folders given, then in the module search path
// (ModuleSearch.h: VTX_MODULE_PATH, vtxhost's own folder, the module folder of the prefix it
// is installed under, the installed module folder), and says where it looked: one line per module with its catalog id, SDK version
// and number of block and datatype classes; a file that is not a module is listed with
// the reason. Each file is loaded in a child process of its own, so that a file that
// crashes or hangs while it loads is reported instead of ending the listing.
#include <string.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/modules/ModuleLoader.h"
#include "host/modules/ChildProcess.h"
#include "host/run/PrintableText.h"
#include "host/modules/ModuleSearch.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"
#include "vtx/Collection.h"
#include "vtx/Exception.h"

#ifndef VTX_INSTALLED_MODULE_DIR
#define VTX_INSTALLED_MODULE_DIR ""
#endif
#ifndef VTX_INSTALL_MODULE_DIR
#define VTX_INSTALL_MODULE_DIR ""
#endif

namespace vtxhost {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

constexpr const char* kHelp =
    "Lists every catalog module found in the folders given, then in the module search path,\n"
    "where a patch's modules named by catalog id are found: the folders of the\n"
    "VTX_MODULE_PATH variable (separated by ':'), vtxhost's own folder, for a tree installed\n"
    "under another prefix <prefix>/" VTX_INSTALL_MODULE_DIR " beside vtxhost's own <prefix>/bin,\n"
    "and the installed module folder (" VTX_INSTALLED_MODULE_DIR "). One line per module: its\n"
    "path, catalog id, SDK version and number of block and datatype classes. Files named\n"
    "*.so that are not modules are listed with the reason. The last line names the folders\n"
    "searched and how many modules were found. A folder given that cannot be read makes the\n"
    "exit status 1; folders of the search path that do not exist are passed over. Each file\n"
    "is loaded in a child process and given 10 s (VTX_LOAD_SECONDS sets another limit, 1 to\n"
    "3600).\n";

// How long one file may take to load and describe itself.
constexpr unsigned kLoadSeconds = 10;

bool IsCandidate(const fs::path& path) {
    const std::string name = path.filename().string();
    return name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0;
}

// In the child: what the file says about itself, as one JSON object.
Json Describe(const std::string& path) {
    try {
        CModuleLoader module(path);
        Json described = Json::object();
        described["sdkVersion"] = module.GetSdkVersion() ? module.GetSdkVersion() : "";
        Vtx::IDllSignature* signature = module.GetSignature(1033);
        if (!signature) return Json{{"error", "the module offers no module signature"}};
        described["catalogId"] = signature->GetCatalogId() ? signature->GetCatalogId() : "";
        described["blocks"] = signature->GetBlockClasses() ? signature->GetBlockClasses()->GetCount() : 0;
        described["datatypes"] = signature->GetDatatypeClasses() ? signature->GetDatatypeClasses()->GetCount() : 0;
        return described;
    } catch (Vtx::IException& e) {
        return Json{{"error", std::string("the module failed to describe itself: ") +
                                  (e.GetMessageText() ? e.GetMessageText() : "")}};
    } catch (const std::exception& e) {
        return Json{{"error", e.what()}};
    } catch (...) {
        return Json{{"error", "the module threw an exception of a type the host does not know"}};
    }
}

// Loads the file in a child process; its description, or {"error": why}. The time limit is
// the parent's: whatever the module does with alarms and signals or the processes it
// starts, the listing goes on when it passes.
Json DescribeInChild(const std::string& path) {
    const unsigned seconds = LoadSeconds(kLoadSeconds);
    const ChildOutcome outcome = RunInChild(
        [&] { return Describe(path).dump(-1, ' ', false, Json::error_handler_t::replace); }, seconds);
    if (outcome.late) return Json{{"error", "did not finish loading within " + std::to_string(seconds) + " s"}};
    if (outcome.signalled)
        return Json{{"error", std::string("crashed while loading (") + strsignal(outcome.signal) + ")"}};
    const Json described = Json::parse(outcome.answer, nullptr, false);
    if (described.is_discarded() || !described.is_object())
        return Json{{"error", "ended while loading (" + DescribeFailure(outcome) + ")"}};
    return described;
}

std::string Plural(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

void PrintLine(const std::string& path, const Json& described) {
    if (described.contains("error")) {
        std::printf("%s: not a module: %s\n", PrintableText(path).c_str(),
                    PrintableText(described["error"].get<std::string>()).c_str());
        return;
    }
    std::printf("%s: catalog %s, SDK %s, %s, %s\n", PrintableText(path).c_str(),
                PrintableText(described["catalogId"].get<std::string>()).c_str(),
                PrintableText(described["sdkVersion"].get<std::string>()).c_str(),
                Plural(described["blocks"].get<long long>(), "block class", "block classes").c_str(),
                Plural(described["datatypes"].get<long long>(), "datatype class", "datatype classes").c_str());
}

// Lists the folder's candidates in name order; false when a folder given cannot be read.
// Counts the modules listed into found.
bool ListFolder(const std::string& folder, bool given, std::set<std::string>& seen, std::size_t& found) {
    std::error_code error;
    std::vector<fs::path> files;
    fs::directory_iterator it(folder, error);
    if (error) {
        if (given) std::fprintf(stderr, "vtxhost list: %s: %s\n", folder.c_str(), error.message().c_str());
        return !given;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) break;
        std::error_code typeError;
        if (IsCandidate(it->path()) && it->is_regular_file(typeError)) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::error_code canonicalError;
        const fs::path canonical = fs::canonical(file, canonicalError);
        if (!seen.insert(canonicalError ? file.string() : canonical.string()).second) continue;
        const Json described = DescribeInChild(file.string());
        if (!described.contains("error")) ++found;
        PrintLine(file.string(), described);
    }
    if (error && given) {
        std::fprintf(stderr, "vtxhost list: %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

int List(int argc, char** argv) {
    std::vector<std::pair<std::string, bool>> folders;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            std::fprintf(stderr, "vtxhost list: unexpected argument \"%s\"\n", argv[i]);
            return UsageError("list");
        }
        folders.emplace_back(argv[i], true);
    }
    for (const std::string& folder : ModuleSearchFolders()) folders.emplace_back(folder, false);
    std::set<std::string> seen;
    bool complete = true;
    std::size_t found = 0;
    std::string searched;
    for (const auto& [folder, given] : folders) {
        complete = ListFolder(folder, given, seen, found) && complete;
        std::error_code error;
        searched += (searched.empty() ? "" : ", ") + folder + (fs::is_directory(folder, error) ? "" : " (missing)");
    }
    std::printf("%s found in %s\n", Plural(static_cast<long long>(found), "module", "modules").c_str(),
                searched.c_str());
    std::fflush(stdout);
    return complete ? kExitSuccess : kExitRefused;
}

const CommandRegistrar registrar("list", "list [DIR...]", List, kHelp);

} // namespace

} // namespace vtxhost
