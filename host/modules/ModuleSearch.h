#pragma once
// Modules named by their catalog id ("Brennick2010") instead of a file path, so that one
// patch runs against a build tree and an installed SDK alike. The module of catalog ID is
// the file libID.so (the name vtx_add_catalog gives it) in the first folder of the search
// path that holds one: the folders of VTX_MODULE_PATH (separated by ':'), then the host
// program's own (vtxhost: its own folder, the module folder of the prefix it is installed
// under, the installed module folder).
#include <string>
#include <vector>

namespace vtxhost {

// Whether a patch's module entry is a catalog id: a letter, then letters, digits and
// underscores; anything else (a '/', a '.') is a file path.
bool IsCatalogIdName(const std::string& text);

// The host program's folders, searched after those of VTX_MODULE_PATH.
void SetDefaultModuleFolders(std::vector<std::string> folders);
// VTX_MODULE_PATH's folders, then the defaults, each once, in that order.
std::vector<std::string> ModuleSearchFolders();

// The path of libID.so in the first folder that holds one; empty when none does.
std::string FindModuleFile(const std::string& catalogId);
// "A, B, C" for messages that say where a module was looked for.
std::string DescribeModuleSearch();

} // namespace vtxhost
