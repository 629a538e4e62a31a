#include "module/CatalogFactory.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"

namespace Vtx {

namespace {

// Constant-initialised: entries of any translation unit may list themselves first.
std::vector<CCatalogInfoImpl*>* catalogTable = nullptr;

int TableCount() { return catalogTable ? static_cast<int>(catalogTable->size()) : 0; }

CCatalogInfoImpl& EntryAt(int index) {
    if (index < 0 || index >= TableCount()) throw CLogicExceptionImpl(Messages::kInvalidCatalogIndex);
    return *(*catalogTable)[static_cast<std::size_t>(index)];
}

} // namespace

CCatalogInfoImpl::CCatalogInfoImpl(const char* catalogId, CatalogCreateFunction create)
    : catalogId_(catalogId ? catalogId : ""), create_(create) {
    if (!catalogTable) catalogTable = new std::vector<CCatalogInfoImpl*>;
    catalogTable->push_back(this);
}

CCatalogInfoImpl::~CCatalogInfoImpl() {
    if (!catalogTable) return;
    catalogTable->erase(std::remove(catalogTable->begin(), catalogTable->end(), this), catalogTable->end());
    if (catalogTable->empty()) {
        delete catalogTable;
        catalogTable = nullptr;
    }
}

int CCatalogFactoryImpl::GetCatalogsCount() { return TableCount(); }

const char* CCatalogFactoryImpl::GetCatalogId(int index) { return EntryAt(index).GetCatalogId().c_str(); }

int CCatalogFactoryImpl::GetCatalogIndex(const char* catalogId) {
    const std::string wanted = catalogId ? catalogId : "";
    for (int i = 0; i < TableCount(); ++i)
        if ((*catalogTable)[static_cast<std::size_t>(i)]->GetCatalogId() == wanted) return i;
    throw CLogicExceptionImpl(Messages::kInvalidCatalogId);
}

CatalogArgument CCatalogFactoryImpl::CreateCatalog(int index, CatalogArgument argument) {
    CCatalogInfoImpl& entry = EntryAt(index);
    if (!entry.GetCreateFunction()) throw CLogicExceptionImpl(Messages::kCatalogFactoryNullCreateFn);
    return TranslateStdExceptions([&] {
        const std::string catalogId = entry.GetCatalogId();
        return entry.GetCreateFunction()(argument, catalogId);
    });
}

CCatalogFactoryImpl* GetCatalogFactory() {
    static CCatalogFactoryImpl* factory = [] {
        static CCatalogFactoryImpl instance;
        instance.AddRef();
        return &instance;
    }();
    return factory;
}

} // namespace Vtx
