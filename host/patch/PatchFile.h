#pragma once
// Patch files: a JSON document naming modules, blocks with their parameter values, and
// links. Example:
//
//   {
//     "name": "count",
//     "modules": ["libBrennick2010.so"],
//     "blocks": [
//       {"name": "numbers", "class": "sequence_source",
//        "parameters": {"class": "double", "values": ["1.5", "2", "-3"]}},
//       {"name": "show", "catalog": "kernel", "class": "sink"}
//     ],
//     "links": [{"from": "numbers.output", "to": "show.input"}]
//   }
//
// A block may carry "signature", the stored form of its block signature (StoredSignature.h):
// the block is then given that signature back instead of building its own, and the
// stored parameter values come with it; "parameters" still apply afterwards. Such files
// are written by SavePatchFile (PatchSave.h).
//
// "kernel" may turn the kernel switches "log_graphviz" and "log_profiling_info" on or off
// (Patch.h). "catalog" defaults to "kernel". Parameter values are set in the order given,
// and a value the block refuses is set again once the block's other values are in
// (ParameterValues.h); a JSON string is the value's text form, any other JSON value stands
// for its JSON text (3 for "3", true for "true", a list for its JSON text). Module paths are
// relative to the patch file's folder unless absolute; a module entry that is a catalog id
// ("Brennick2010") names the module libID.so found through the module search path
// (ModuleSearch.h). Every problem is reported as
// "FILE:LINE: problem".
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/kernel/JsonDocument.h"
#include "host/patch/Patch.h"

namespace vtxhost {

class CKernelServices;

// Loads the module at path and adds its catalog to the kernel services; the result keeps
// the module loaded. Throws (PatchError or std::exception) when the module cannot be loaded.
using ModuleOpener = std::function<std::shared_ptr<void>(CKernelServices& kernel, const std::string& path)>;

struct LoadedPatch {
    // Destroyed after the patch, so that module code outlives the module's blocks.
    std::vector<std::shared_ptr<void>> modules;
    // The modules' paths as they were opened (relative ones joined to the patch's folder).
    std::vector<std::string> modulePaths;
    // The same as the file gives them.
    std::vector<std::string> moduleTexts;
    std::unique_ptr<CPatch> patch;
};

// The file must be a regular file of at most 256 MiB; a JSON document nested at most 512
// deep (JsonDocument.h).
LoadedPatch LoadPatchFile(CKernelServices& kernel, const std::string& path, const ModuleOpener& openModule);
// The text of a regular file of at most maxBytes; a PatchError naming the file and the
// reason otherwise (a directory, a device, a pipe, too long, unreadable).
std::string ReadPatchFileText(const std::string& path, std::size_t maxBytes);
// The same from a text; fileName names it in messages, folder resolves module paths.
LoadedPatch LoadPatchText(CKernelServices& kernel, const std::string& text, const std::string& fileName,
                          const std::string& folder, const ModuleOpener& openModule);

// One entry of "blocks" or of "links", as a patch file gives it, added to the patch with the
// checks of loading a file; a PatchError with the problem alone (no file, no line) when it
// is refused. A refused block entry whose block was made stays in the patch, as when a file
// is loaded; the caller removes it.
void AddPatchBlockEntry(CKernelServices& kernel, CPatch& patch, const Json& block);
void AddPatchLinkEntry(CKernelServices& kernel, CPatch& patch, const Json& link);

} // namespace vtxhost
