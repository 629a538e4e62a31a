// vtxhost serve [PATCH] [--port N] [--listen ADDR] [--folder DIR]... [--modules DIR]...
// The patch editor in the browser: an HTTP and WebSocket server (EditorServer.h) over a live
// session of the patch, with the modules of the module search path and the folders given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleLoader.h"
#include "host/modules/ModuleSearch.h"
#include "state/ModuleState.h"
#include "host/patch/PatchFile.h"
#include "tools/vtxhost/Commands.h"
#include "host/serve/EditorServer.h"
#include "host/serve/EditorWorkspace.h"
#include "tools/vtxhost/ExitStatus.h"

namespace vtxhost {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHelp =
    "Serves a patch editor to a browser on this machine: it prints an address with a token;\n"
    "open it to see the patch's blocks and links, change parameters, add blocks from the\n"
    "palette of every catalog found, run, stop, pause and step the patch and watch its\n"
    "values and messages. Without PATCH the editor starts with an empty patch.\n"
    "Modules are loaded only from the module search path (see vtxhost help list) and the\n"
    "folders given with --modules; patches are opened and saved only in PATCH's folder and\n"
    "the folders given with --folder (the current folder when there is neither).\n"
    "  --port N        the port to listen on (default: any free port)\n"
    "  --listen ADDR   listen on ADDR instead of 127.0.0.1 (anyone who reaches it and has\n"
    "                  the token can run modules' code here: a warning is printed)\n"
    "  --folder DIR    a folder patches may be opened from and saved to (repeatable)\n"
    "  --modules DIR   a folder modules may be loaded from (repeatable)\n";

// The page's files: beside vtxhost in a build tree, under the installed data folder else.
std::string WebFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    for (const fs::path& candidate :
         {executable.parent_path() / "web", executable.parent_path().parent_path() / VTX_INSTALL_WEB_DIR})
        if (fs::is_regular_file(candidate / "index.html", error)) return candidate.string();
    return {};
}

bool ReadPort(const char* text, std::uint16_t& port) {
    if (!*text || std::strlen(text) > 5) return false;
    for (const char* c = text; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    const long value = std::strtol(text, nullptr, 10);
    if (value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

int Serve(int argc, char** argv) {
    std::optional<std::string> patch;
    EditorServerOptions options;
    std::vector<std::string> patchFolders, moduleFolders;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--port" && hasValue) {
            if (!ReadPort(argv[++i], options.port)) {
                std::fprintf(stderr, "vtxhost serve: --port takes a number from 0 to 65535, not \"%s\"\n", argv[i]);
                return UsageError("serve");
            }
        } else if (arg == "--listen" && hasValue) {
            options.address = argv[++i];
        } else if (arg == "--folder" && hasValue) {
            patchFolders.push_back(argv[++i]);
        } else if (arg == "--modules" && hasValue) {
            moduleFolders.push_back(argv[++i]);
        } else if (arg[0] != '-' && !patch) {
            patch = arg;
        } else {
            std::fprintf(stderr, "vtxhost serve: unexpected argument \"%s\"\n", argv[i]);
            return UsageError("serve");
        }
    }
    options.webFolder = WebFolder();
    if (options.webFolder.empty()) {
        std::fprintf(stderr, "vtxhost serve: the editor's page is not installed beside vtxhost\n");
        return kExitRefused;
    }
    if (patch) patchFolders.insert(patchFolders.begin(), fs::absolute(*patch).parent_path().string());
    if (patchFolders.empty()) patchFolders.push_back(fs::current_path().string());
    for (const std::string& folder : ModuleSearchFolders()) {
        std::error_code error;
        if (fs::is_directory(folder, error)) moduleFolders.push_back(folder);
    }

    // The kernel's own blocks answer property texts through the holder the modules share.
    if (!Vtx::GetThreadSpecificValue()) Vtx::SetThreadSpecificValue(HostThreadSpecificValue());
    CKernelServices kernel;
    try {
        CEditorWorkspace workspace(kernel, patchFolders, moduleFolders);
        workspace.LoadModules();
        for (const std::string& skipped : workspace.Skipped())
            std::fprintf(stderr, "vtxhost serve: left out %s\n", skipped.c_str());
        // The patch named at start is the user's own choice: its modules load wherever they are.
        LoadedPatch loaded = patch ? LoadPatchFile(kernel, *patch, workspace.TrustedOpener())
                                   : LoadPatchText(kernel, "{\"name\": \"untitled\"}", "untitled", patchFolders.front(),
                                                   workspace.Opener());
        const std::string name = loaded.patch->GetName();
        CEditorServer server(kernel, workspace, std::move(loaded), patch.value_or(""), options);
        if (options.address != "127.0.0.1" && options.address != "::1")
            std::fprintf(stderr,
                         "vtxhost serve: warning: listening on %s: whoever reaches it with the token can run the "
                         "modules' code on this machine\n",
                         options.address.c_str());
        std::printf("vtxhost serve: the editor of patch \"%s\" is at http://%s:%u/?token=%s\n", name.c_str(),
                    options.address.find(':') != std::string::npos ? ("[" + options.address + "]").c_str()
                                                                   : options.address.c_str(),
                    server.Port(), server.Token().c_str());
        std::printf("vtxhost serve: Ctrl-C stops it\n");
        if (std::fflush(stdout) != 0) return kExitRefused;
        server.Run();
    } catch (const WorkspaceRefusal& e) {
        std::fprintf(stderr, "vtxhost serve: %s\n", e.what());
        return kExitRefused;
    } catch (const PatchError& e) {
        std::fprintf(stderr, "vtxhost serve: %s\n", e.what());
        return kExitRefused;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vtxhost serve: %s\n", e.what());
        return kExitRefused;
    }
    return kExitSuccess;
}

const CommandRegistrar registrar("serve",
                                 "serve [PATCH] [--port N] [--listen ADDR] [--folder DIR]... [--modules DIR]...",
                                 Serve, kHelp);

} // namespace

} // namespace vtxhost
