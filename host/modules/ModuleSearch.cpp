#include "host/modules/ModuleSearch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#ifndef VTX_INSTALLED_MODULE_DIR
#define VTX_INSTALLED_MODULE_DIR ""
#endif

namespace vtxhost {

namespace {

std::vector<std::string>& Defaults() {
    static std::vector<std::string> folders = [] {
        std::vector<std::string> installed;
        if (*VTX_INSTALLED_MODULE_DIR) installed.push_back(VTX_INSTALLED_MODULE_DIR);
        return installed;
    }();
    return folders;
}

} // namespace

bool IsCatalogIdName(const std::string& text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

void SetDefaultModuleFolders(std::vector<std::string> folders) { Defaults() = std::move(folders); }

std::vector<std::string> ModuleSearchFolders() {
    std::vector<std::string> folders;
    const auto add = [&folders](const std::string& folder) {
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    if (const char* path = std::getenv("VTX_MODULE_PATH")) {
        const std::string list = path;
        for (std::size_t begin = 0; begin <= list.size();) {
            const std::size_t end = std::min(list.find(':', begin), list.size());
            add(list.substr(begin, end - begin));
            begin = end + 1;
        }
    }
    for (const std::string& folder : Defaults()) add(folder);
    return folders;
}

std::string FindModuleFile(const std::string& catalogId) {
    for (const std::string& folder : ModuleSearchFolders()) {
        const std::string path = folder + "/lib" + catalogId + ".so";
        struct stat status {};
        if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) return path;
    }
    return {};
}

std::string DescribeModuleSearch() {
    std::string text;
    for (const std::string& folder : ModuleSearchFolders()) text += (text.empty() ? "" : ", ") + folder;
    return text.empty() ? "no folder (VTX_MODULE_PATH is not set)" : text;
}

} // namespace vtxhost
