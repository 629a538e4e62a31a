// vtxhost save PATCH OUTPUT
// Loads a patch file and writes it to OUTPUT with every block's stored signature, the form
// in which a patch editor keeps a patch: loading OUTPUT gives each block its signature back
// (with the parameter values) instead of letting it build its own. Module paths the patch
// gives as absolute stay so; relative ones are rewritten relative to OUTPUT's folder.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchSave.h"
#include "host/modules/ModuleSearch.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

namespace vtxhost {

namespace {

constexpr const char* kHelp =
    "Loads PATCH and writes it to OUTPUT with every block's signature stored in it (pins,\n"
    "parameters and their values), as a patch editor keeps a patch: loading OUTPUT gives each\n"
    "block its stored signature back. Module paths that PATCH gives relative to itself are\n"
    "written relative to OUTPUT; absolute ones stay as they are.\n";

int SavePatch(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') return UsageError("save");
    namespace fs = std::filesystem;
    CKernelServices kernel;
    try {
        LoadedPatch loaded = LoadPatchFile(kernel, argv[1], OpenModuleCatalog);
        // Relative module paths as seen from here, which the save turns relative to OUTPUT.
        std::vector<std::string> modules;
        for (std::size_t i = 0; i < loaded.modulePaths.size(); ++i) {
            // Absolute paths and catalog ids are written as the patch gives them.
            const bool absolute = i < loaded.moduleTexts.size() && (fs::path(loaded.moduleTexts[i]).is_absolute() ||
                                                                    IsCatalogIdName(loaded.moduleTexts[i]));
            const fs::path full = fs::absolute(loaded.modulePaths[i]).lexically_normal();
            const fs::path fromHere = full.lexically_relative(fs::current_path());
            modules.push_back(absolute ? loaded.moduleTexts[i] : fromHere.empty() ? full.string() : fromHere.string());
        }
        SavePatchFile(*loaded.patch, modules, argv[2]);
    } catch (const PatchError& e) {
        std::fprintf(stderr, "vtxhost save: %s\n", e.what());
        return kExitRefused;
    }
    std::printf("saved patch \"%s\" to %s\n", argv[1], argv[2]);
    return kExitSuccess;
}

const CommandRegistrar registrar("save", "save PATCH OUTPUT", SavePatch, kHelp);

} // namespace

} // namespace vtxhost
