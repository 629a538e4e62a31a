#include "host/modules/ModuleOpener.h"

#include <stdexcept>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/modules/ModuleLoader.h"
#include "vtx/Exception.h"

namespace vtxhost {

namespace {

// Keeps the module loaded and its catalog known to the kernel services; on destruction the
// catalog goes first, then the module is unloaded.
struct OpenedModule {
    CKernelServices* kernel;
    std::string catalogId;
    std::unique_ptr<CModuleLoader> loader;
    ~OpenedModule() {
        if (!catalogId.empty()) kernel->RemoveCatalog(catalogId);
    }
};

} // namespace

std::shared_ptr<void> OpenModuleCatalog(CKernelServices& kernel, const std::string& path) {
    auto opened = std::make_shared<OpenedModule>();
    opened->kernel = &kernel;
    opened->loader = std::make_unique<CModuleLoader>(path);
    Vtx::IDllSignature* signature = nullptr;
    try {
        signature = opened->loader->GetSignature(kernel.GetLanguageId());
        if (!signature) throw std::runtime_error("the module offers no module signature");
        auto catalog = std::make_shared<CModuleCatalog>(signature);
        catalog->ReadClassLists();
        kernel.AddCatalog(catalog);
        opened->catalogId = catalog->GetCatalogId();
    } catch (Vtx::IException& e) {
        throw std::runtime_error(e.GetMessageText() ? e.GetMessageText() : "the module's catalog cannot be used");
    } catch (const std::exception&) {
        throw;
    } catch (...) {
        throw std::runtime_error("the module threw an exception of a type the host does not know");
    }
    return opened;
}

} // namespace vtxhost
