#include "sdk/object/PropertyCollectionImpl.h"

#include <cstring>
#include <memory>

#include "sdk/object/PropertyImpl.h"

namespace Vtx {

CPropertyCollectionImpl::CPropertyCollectionImpl(const char* name) : name_(name ? name : "") {}

CPropertyCollectionImpl::~CPropertyCollectionImpl() {}

const char* CPropertyCollectionImpl::GetName() { return name_.c_str(); }

int CPropertyCollectionImpl::FindIndex(const char* name) {
    const char* wanted = name ? name : "";
    auto& items = Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        IProperty* property = items[i];
        if (!property) continue;
        const char* own = property->GetName();
        if (std::strcmp(own ? own : "", wanted) == 0) return static_cast<int>(i);
    }
    return -1;
}

bool CPropertyCollectionImpl::HasProperty(const char* name) {
    return Guarded([&] { return FindIndex(name) >= 0; });
}

IProperty* CPropertyCollectionImpl::GetPropertyByName(const char* name) {
    return Guarded([&] { return Items()[static_cast<std::size_t>(GetIndexByName(name))]; });
}

int CPropertyCollectionImpl::GetIndexByName(const char* name) {
    return Guarded([&] {
        const int index = FindIndex(name);
        if (index < 0) throw CCollectionExceptionImpl(name ? name : "");
        return index;
    });
}

IProperty* CPropertyCollectionImpl::FindOrAddProperty(const char* name, std::int32_t type) {
    return Guarded([&]() -> IProperty* {
        const int index = FindIndex(name);
        if (index >= 0) return Items()[static_cast<std::size_t>(index)];
        std::unique_ptr<CPropertyImpl> property(new CPropertyImpl(type, name, nullptr));
        Add(property.get());
        return property.release();
    });
}

} // namespace Vtx
