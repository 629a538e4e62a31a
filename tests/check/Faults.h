#pragma once
// The fault a module of the test catalog carries: the catalog word of its identifier.
#include <cstring>

#include "module/ModuleIdentity.h"

namespace faulty {

// Whether the module's identifier starts with the word and an underscore. The identifier
// is constant-initialised, so this may run during static initialisation.
inline bool HasFault(const char* word) {
    const std::size_t length = std::strlen(word);
    return std::strncmp(Vtx::kModuleIdentifier, word, length) == 0 && Vtx::kModuleIdentifier[length] == '_';
}

} // namespace faulty
