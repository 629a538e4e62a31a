#pragma once
// Writes a patch as a patch file (PatchFile.h) from which it loads back as it is now: its
// modules, the kernel switches it set, every block with its catalog, class, trace level and
// stored signature (every pin and parameter with the parameter values, StoredSignature.h),
// and its links.
#include <functional>
#include <string>
#include <vector>

namespace vtxhost {

class CPatch;

// Takes the saved text piece by piece, in order.
using TextSink = std::function<void(const std::string& piece)>;

// The saved text, handed to sink in pieces of about 64 KiB as it is made, so that nothing
// holds the whole of it; each block's signature leaves out what its class declares alike
// (DeclaredDefaults.h). The modules are written as given.
void WritePatch(CPatch& patch, const std::vector<std::string>& modulePaths, const TextSink& sink);
// The same as one text.
std::string SavePatchText(CPatch& patch, const std::vector<std::string>& modulePaths);
// Absolute module paths are written as they are; relative ones (to the current folder) are
// written relative to the file's folder, so that the saved file finds the same modules
// wherever the two are moved together. PatchError with the reason when the file cannot be
// written (WriteFileReplacing).
void SavePatchFile(CPatch& patch, const std::vector<std::string>& modulePaths, const std::string& path);
// The modules of a loaded patch (LoadedPatch's modulePaths and moduleTexts) as SavePatchFile
// takes them: those the file gave absolute as given, the others relative to the current folder.
std::vector<std::string> ModulePathsFromHere(const std::vector<std::string>& modulePaths,
                                             const std::vector<std::string>& moduleTexts);

// Writes the text to a new file beside path and renames it over path, so that path holds
// either its old content or the whole new one, never a part. A path that names a link
// replaces the file linked to; one that names anything but a regular file (a named pipe, a
// folder) is refused without being opened. PatchError with the reason on failure.
void WriteFileReplacing(const std::string& path, const std::string& text);
// The same with the text handed over in pieces by produce; an exception from produce
// leaves path as it was.
void WriteFileReplacing(const std::string& path, const std::function<void(const TextSink& sink)>& produce);

} // namespace vtxhost
