#pragma once
// The index-based way of reaching the catalogs a module carries: count them, map between
// index and identifier, create one by index.
#include <cstdint>

#include "vtx/ReferenceCounted.h"

namespace Vtx {

// The opaque argument and result of a catalog's create function. Pointer-sized, so that
// a host may pass a handle or an object pointer through it.
using CatalogArgument = std::uintptr_t;

struct ICatalogFactory {
    // Deletes the factory.
    virtual std::int32_t Destroy() = 0;
    virtual int GetCatalogsCount() = 0;
    // Identifier of the catalog at the index; ILogicException for an invalid index.
    virtual const char* GetCatalogId(int index) = 0;
    // Index of the first catalog with exactly this identifier; ILogicException for none.
    virtual int GetCatalogIndex(const char* catalogId) = 0;
    // Runs the create function of the catalog at the index and returns its result.
    virtual CatalogArgument CreateCatalog(int index, CatalogArgument argument) = 0;

protected:
    virtual ~ICatalogFactory() = default;
};

} // namespace Vtx
