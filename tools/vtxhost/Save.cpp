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
#include "tools/vtxhost/Output.h"

namespace vtxhost {

namespace {

constexpr const char* kHelp =
    "Loads PATCH and writes it to OUTPUT with every block's signature stored in it (pins,\n"
    "parameters and their values), as a patch editor keeps a patch: loading OUTPUT gives each\n"
    "block its stored signature back. Module paths that PATCH gives relative to itself are\n"
    "written relative to OUTPUT; absolute ones stay as they are.\n";

int SavePatch(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') return UsageError("save");
    CKernelServices kernel;
    try {
        LoadedPatch loaded = LoadPatchFile(kernel, argv[1], OpenModuleCatalog);
        // Relative module paths as seen from here, which the save turns relative to OUTPUT.
        SavePatchFile(*loaded.patch, ModulePathsFromHere(loaded.modulePaths, loaded.moduleTexts), argv[2]);
    } catch (const PatchError& e) {
        std::fprintf(stderr, "vtxhost save: %s\n", ErrorLine(e.what()).c_str());
        return kExitRefused;
    }
    std::printf("saved patch \"%s\" to %s\n", argv[1], argv[2]);
    return kExitSuccess;
}

const CommandRegistrar registrar("save", "save PATCH OUTPUT", SavePatch, kHelp);

} // namespace

} // namespace vtxhost
