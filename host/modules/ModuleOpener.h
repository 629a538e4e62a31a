#pragma once
// Opens a catalog module for a patch: loads it and adds its catalog to the kernel services.
#include <memory>
#include <string>

namespace vtxhost {

class CKernelServices;

// Keeps the module loaded while the result lives; throws std::runtime_error when the module
// cannot be loaded or offers no module signature.
std::shared_ptr<void> OpenModuleCatalog(CKernelServices& kernel, const std::string& path);

} // namespace vtxhost
