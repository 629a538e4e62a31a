#include "host/serve/EditorWorkspace.h"

#include <algorithm>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/modules/ModuleOpener.h"
#include "host/modules/ModuleResources.h"
#include "platform/Dib.h"
#include "platform/Resources.h"
#include "vtx/ClassInfo.h"
#include "vtx/DllSignature.h"

namespace vtxhost {

namespace fs = std::filesystem;

namespace {

std::string Text(const char* text) { return text ? text : ""; }

std::vector<fs::path> CanonicalFolders(const std::vector<std::string>& folders, const char* kind) {
    std::vector<fs::path> canonical;
    for (const std::string& folder : folders) {
        std::error_code error;
        const fs::path path = fs::canonical(folder, error);
        if (error || !fs::is_directory(path, error))
            throw WorkspaceRefusal(std::string(kind) + " folder \"" + folder + "\" is no folder that can be read");
        if (std::find(canonical.begin(), canonical.end(), path) == canonical.end()) canonical.push_back(path);
    }
    return canonical;
}

// Whether the path lies in the folder or below it (both canonical).
bool Within(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p)
        if (p == path.end() || *p != *f) return false;
    return true;
}

} // namespace

CEditorWorkspace::CEditorWorkspace(CKernelServices& kernel, const std::vector<std::string>& patchFolders,
                                   const std::vector<std::string>& moduleFolders)
    : kernel_(kernel), patchFolders_(CanonicalFolders(patchFolders, "patch")),
      moduleFolders_(CanonicalFolders(moduleFolders, "module")) {}

bool CEditorWorkspace::InModuleFolder(const fs::path& canonical) const {
    return std::any_of(moduleFolders_.begin(), moduleFolders_.end(),
                       [&](const fs::path& folder) { return Within(canonical, folder); });
}

std::shared_ptr<void> CEditorWorkspace::Open(const fs::path& canonical) {
    auto found = modules_.find(canonical);
    if (found != modules_.end()) return found->second.handle;
    const std::vector<std::string> before = kernel_.CatalogIds();
    Module module{OpenModuleCatalog(kernel_, canonical.string()), ""};
    for (const std::string& id : kernel_.CatalogIds())
        if (std::find(before.begin(), before.end(), id) == before.end()) module.catalogId = id;
    modules_.emplace(canonical, module);
    return module.handle;
}

void CEditorWorkspace::LoadModules() {
    for (const fs::path& folder : moduleFolders_) {
        std::error_code error;
        std::vector<fs::path> files;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            std::error_code typeError;
            if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0 && it->is_regular_file(typeError))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            try {
                Open(fs::canonical(file));
            } catch (const std::exception& e) {
                skipped_.push_back(file.string() + ": " + e.what());
            }
        }
    }
}

ModuleOpener CEditorWorkspace::Opener() {
    return [this](CKernelServices&, const std::string& path) -> std::shared_ptr<void> {
        std::error_code error;
        const fs::path canonical = fs::canonical(path, error);
        if (error) throw std::runtime_error("module \"" + path + "\" cannot be found");
        if (!modules_.count(canonical) && !InModuleFolder(canonical))
            throw std::runtime_error("module \"" + path + "\" lies outside the module folders this editor may load from");
        return Open(canonical);
    };
}

ModuleOpener CEditorWorkspace::TrustedOpener() {
    return [this](CKernelServices&, const std::string& path) -> std::shared_ptr<void> {
        std::error_code error;
        const fs::path canonical = fs::canonical(path, error);
        if (error) throw std::runtime_error("module \"" + path + "\" cannot be found");
        return Open(canonical);
    };
}

fs::path CEditorWorkspace::PatchPath(const std::string& text, bool forSaving) const {
    if (text.empty()) throw WorkspaceRefusal("no patch file named");
    if (text.find('\0') != std::string::npos) throw WorkspaceRefusal("a patch file name holds a zero byte");
    fs::path path(text);
    if (path.is_relative()) path = patchFolders_.front() / path;
    std::error_code error;
    // A file to save need not exist yet: its folder must.
    const fs::path canonical = forSaving ? fs::weakly_canonical(path, error) : fs::canonical(path, error);
    if (error) throw WorkspaceRefusal("patch file \"" + text + "\" cannot be found");
    const bool allowed = std::any_of(patchFolders_.begin(), patchFolders_.end(),
                                     [&](const fs::path& folder) { return Within(canonical, folder); });
    if (!allowed) throw WorkspaceRefusal("patch file \"" + text + "\" lies outside the folders this editor may use");
    if (forSaving) {
        if (!fs::is_directory(canonical.parent_path(), error))
            throw WorkspaceRefusal("the folder of \"" + text + "\" does not exist");
        if (fs::exists(canonical, error) && !fs::is_regular_file(canonical, error))
            throw WorkspaceRefusal("\"" + text + "\" is no regular file");
    } else if (!fs::is_regular_file(canonical, error)) {
        throw WorkspaceRefusal("\"" + text + "\" is no regular file");
    }
    return canonical;
}

Json CEditorWorkspace::Palette() {
    Json catalogs = Json::array();
    Json kernelBlocks = Json::array();
    if (CCatalog* kernelCatalog = kernel_.FindCatalog("kernel"))
        for (const std::string& id : kernelCatalog->GetClassIds(ObjectKind::Block))
            kernelBlocks.push_back(Json{{"id", id}, {"name", id}, {"description", ""}, {"bitmap", false}});
    catalogs.push_back(Json{{"id", "kernel"}, {"blocks", kernelBlocks}});
    for (const auto& [path, module] : modules_) {
        auto* catalog = dynamic_cast<CModuleCatalog*>(kernel_.FindCatalog(module.catalogId));
        if (!catalog) continue;
        Json blocks = Json::array();
        auto* records = catalog->GetSignature()->GetBlockClasses();
        for (int i = 0; i < records->GetCount(); ++i) {
            Vtx::ILibraryObjectClassInfo* record = records->GetAt(i);
            if (!record) continue;
            blocks.push_back(Json{{"id", Text(record->GetClassId())},
                                  {"name", Text(record->GetName())},
                                  {"description", Text(record->GetDescription())},
                                  {"bitmap", record->GetBitmapId() != 0}});
        }
        catalogs.push_back(Json{{"id", module.catalogId}, {"blocks", blocks}});
    }
    return Json{{"catalogs", catalogs}};
}

std::optional<std::vector<std::uint8_t>> CEditorWorkspace::Bitmap(const std::string& catalogId,
                                                                  const std::string& classId) {
    for (const auto& [path, module] : modules_) {
        if (module.catalogId != catalogId) continue;
        auto* catalog = dynamic_cast<CModuleCatalog*>(kernel_.FindCatalog(catalogId));
        if (!catalog) return std::nullopt;
        auto* records = catalog->GetSignature()->GetBlockClasses();
        for (int i = 0; i < records->GetCount(); ++i) {
            Vtx::ILibraryObjectClassInfo* record = records->GetAt(i);
            if (!record || Text(record->GetClassId()) != classId || record->GetBitmapId() == 0) continue;
            const CModuleResources resources = CModuleResources::ReadFromFile(path.string());
            const CModuleResource* resource =
                resources.Find(static_cast<std::uint32_t>(platform::RT_BITMAP), record->GetBitmapId(), 1033);
            if (!resource) return std::nullopt;
            std::vector<std::uint8_t> file = platform::MakeBmpFile(resource->data.data(), resource->data.size());
            if (file.empty()) return std::nullopt;
            return file;
        }
    }
    return std::nullopt;
}

} // namespace vtxhost
