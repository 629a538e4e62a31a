#pragma once
// CPropertyCollectionImpl: a named property set, a collection of properties looked up by
// property name.
#include <cstdint>
#include <string>

#include "sdk/object/CollectionImpl.h"
#include "vtx/Property.h"

namespace Vtx {

class CPropertyCollectionImpl : public CCollectionImpl<IPropertyCollection> {
public:
    // A null name gives the empty name.
    explicit CPropertyCollectionImpl(const char* name = nullptr);

    const char* GetName() override;
    bool HasProperty(const char* name) override;
    IProperty* GetPropertyByName(const char* name) override;
    int GetIndexByName(const char* name) override;

    ~CPropertyCollectionImpl() override;

    // The property with the name; when there is none, a new property of the type with that
    // name (its zero value) is appended and returned. One step under the lock, so two
    // threads asking for the same name get the same property. No reference is added.
    IProperty* FindOrAddProperty(const char* name, std::int32_t type);

private:
    // Index of the first property with the name, or -1; the caller holds the lock.
    int FindIndex(const char* name);

    std::string name_;
};

} // namespace Vtx
