#include "host/ModuleOpener.h"

#include <stdexcept>

namespace vtxhost {

std::shared_ptr<void> OpenModuleCatalog(CKernelServices&, const std::string& path) {
    throw std::runtime_error("module loading is not available in this build (" + path + ")");
}

} // namespace vtxhost
