#pragma once
// The module's catalog table and its index-based factory. Catalog entries are meant to
// be objects of static storage; each lists itself in the table while it lives.
#include <string>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/CatalogFactory.h"

namespace Vtx {

// A catalog's create function: the caller's argument and the catalog identifier.
using CatalogCreateFunction = CatalogArgument (*)(CatalogArgument argument, const std::string& catalogId);

class CCatalogInfoImpl {
public:
    // Appends the entry to the catalog table; the create function may be null.
    CCatalogInfoImpl(const char* catalogId, CatalogCreateFunction create);
    CCatalogInfoImpl(const CCatalogInfoImpl&) = delete;
    CCatalogInfoImpl& operator=(const CCatalogInfoImpl&) = delete;
    // Leaves the table; the table is freed when its last entry leaves.
    virtual ~CCatalogInfoImpl();

    const std::string& GetCatalogId() const { return catalogId_; }
    CatalogCreateFunction GetCreateFunction() const { return create_; }

private:
    std::string catalogId_;
    CatalogCreateFunction create_;
};

class CCatalogFactoryImpl
    : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<ICatalogFactory>>> {
public:
    int GetCatalogsCount() override;
    const char* GetCatalogId(int index) override;
    int GetCatalogIndex(const char* catalogId) override;
    CatalogArgument CreateCatalog(int index, CatalogArgument argument) override;
};

// The module's one factory. It lives for the whole life of the module: the module keeps a
// reference of its own on it, so a host's balanced AddRef/Release never ends it.
CCatalogFactoryImpl* GetCatalogFactory();

} // namespace Vtx
