// vtxhost dot PATCH
// Loads a patch file and prints it as a Graphviz graph: one node per block, one edge per
// link labelled with the datatype that flows along it (`vtxhost dot p.json | dot -Tsvg`).
#include <cstdio>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchGraph.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"
#include "tools/vtxhost/Output.h"

namespace vtxhost {

namespace {

constexpr const char* kHelp =
    "Loads PATCH (with its modules) and prints it on standard output as a Graphviz graph: one\n"
    "node per block with its name, catalog and class, one edge per link labelled with the\n"
    "datatype it carries and the two pins. Render it with `dot -Tsvg`. The kernel switch\n"
    "\"log_graphviz\" in a patch writes the same graph to PATCHNAME.dot when the patch starts.\n";

int DotPatch(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') return UsageError("dot");
    CKernelServices kernel;
    try {
        LoadedPatch loaded = LoadPatchFile(kernel, argv[1], OpenModuleCatalog);
        std::fputs(PatchGraphviz(*loaded.patch).c_str(), stdout);
    } catch (const PatchError& e) {
        std::fprintf(stderr, "vtxhost dot: %s\n", ErrorLine(e.what()).c_str());
        return kExitRefused;
    }
    return kExitSuccess;
}

const CommandRegistrar registrar("dot", "dot PATCH", DotPatch, kHelp);

} // namespace

} // namespace vtxhost
