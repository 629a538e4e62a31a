#pragma once
// What the patch editor of `vtxhost serve` may reach on disk, and nothing else: the folders
// patches are opened from and saved to, and the folders modules are loaded from (the module
// search path and the folders given at start). The modules found there are loaded once, at
// start; a page can name a module only by a patch file in a patch folder, and only one that
// lies in a module folder is loaded. The palette and the class bitmaps come from them.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/kernel/JsonDocument.h"
#include "host/patch/PatchFile.h"

namespace vtxhost {

class CKernelServices;

// A path or module the workspace does not let the page reach; the text says which and why.
class WorkspaceRefusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CEditorWorkspace {
public:
    // The folders must exist; they are kept as canonical paths.
    CEditorWorkspace(CKernelServices& kernel, const std::vector<std::string>& patchFolders,
                     const std::vector<std::string>& moduleFolders);

    // Loads every module file (*.so) of the module folders; a file that cannot be loaded is
    // left out and noted in Skipped().
    void LoadModules();
    const std::vector<std::string>& Skipped() const { return skipped_; }

    // The module opener patch files are loaded with here: a module loaded already is
    // shared; another one outside the module folders is refused.
    ModuleOpener Opener();
    // The opener for the patch the user named at start: its modules load wherever they are,
    // and count as loaded for the patches opened later.
    ModuleOpener TrustedOpener();

    // The canonical path of a patch file the page names (relative to the first patch
    // folder); refused when it would lie outside the patch folders, or, for one to open,
    // when it is no regular file.
    std::filesystem::path PatchPath(const std::string& text, bool forSaving) const;

    // {"catalogs": [{"id", "blocks": [{"id", "name", "description", "bitmap": bool}]}]}, the
    // kernel's first.
    Json Palette();
    // The class's bitmap as a .bmp file; none when it has none.
    std::optional<std::vector<std::uint8_t>> Bitmap(const std::string& catalogId, const std::string& classId);

    const std::vector<std::filesystem::path>& PatchFolders() const { return patchFolders_; }
    const std::vector<std::filesystem::path>& ModuleFolders() const { return moduleFolders_; }

private:
    struct Module {
        std::shared_ptr<void> handle;
        std::string catalogId;
    };
    bool InModuleFolder(const std::filesystem::path& canonical) const;
    std::shared_ptr<void> Open(const std::filesystem::path& canonical);

    CKernelServices& kernel_;
    std::vector<std::filesystem::path> patchFolders_;
    std::vector<std::filesystem::path> moduleFolders_;
    std::map<std::filesystem::path, Module> modules_;  // by canonical path
    std::vector<std::string> skipped_;
};

} // namespace vtxhost
