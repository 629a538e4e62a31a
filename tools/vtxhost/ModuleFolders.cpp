// Where vtxhost looks for a module a patch names by its catalog id, after the folders of
// VTX_MODULE_PATH: its own folder (a build tree holds the modules beside vtxhost), the
// module folder of the prefix it is installed under (<prefix>/bin/vtxhost beside
// <prefix>/lib/vtx/modules), and the installed module folder of the configured prefix.
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "host/modules/ModuleSearch.h"

#ifndef VTX_INSTALLED_MODULE_DIR
#define VTX_INSTALLED_MODULE_DIR ""
#endif
#ifndef VTX_INSTALL_MODULE_DIR
#define VTX_INSTALL_MODULE_DIR ""
#endif

namespace vtxhost {

namespace {

std::vector<std::string> VtxhostModuleFolders() {
    namespace fs = std::filesystem;
    std::vector<std::string> folders;
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        folders.push_back(executable.parent_path().string());
        if (*VTX_INSTALL_MODULE_DIR)
            folders.push_back((executable.parent_path().parent_path() / VTX_INSTALL_MODULE_DIR).lexically_normal().string());
    }
    if (*VTX_INSTALLED_MODULE_DIR) folders.push_back(VTX_INSTALLED_MODULE_DIR);
    return folders;
}

const bool foldersSet = (SetDefaultModuleFolders(VtxhostModuleFolders()), true);

} // namespace

} // namespace vtxhost
