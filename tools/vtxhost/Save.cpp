// vtxhost save PATCH OUTPUT
// Loads a patch file and writes it to OUTPUT with every block's stored signature, the form
// in which a patch editor keeps a patch: loading OUTPUT gives each block its signature back
// (with the parameter values) instead of letting it build its own.
#include <cstdio>
#include <exception>

#include "host/KernelServices.h"
#include "host/ModuleOpener.h"
#include "host/PatchFile.h"
#include "host/PatchSave.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"

namespace vtxhost {

namespace {

int SavePatch(int argc, char** argv) {
    if (argc != 3 || argv[1][0] == '-' || argv[2][0] == '-') {
        std::fprintf(stderr, "usage: vtxhost save PATCH OUTPUT\n");
        return kExitUsage;
    }
    CKernelServices kernel;
    try {
        LoadedPatch loaded = LoadPatchFile(kernel, argv[1], OpenModuleCatalog);
        SavePatchFile(*loaded.patch, loaded.modulePaths, argv[2]);
    } catch (const PatchError& e) {
        std::fprintf(stderr, "vtxhost save: %s\n", e.what());
        return kExitRefused;
    }
    std::printf("saved patch \"%s\" to %s\n", argv[1], argv[2]);
    return kExitSuccess;
}

const CommandRegistrar registrar("save", "save PATCH OUTPUT", SavePatch);

} // namespace

} // namespace vtxhost
