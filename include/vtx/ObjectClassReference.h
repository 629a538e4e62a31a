#pragma once
// References to object classes by (catalog identifier, class identifier), the category item
// reference that adds a third text, and the collection of class references.
#include <cstdint>

#include "vtx/ReferenceCounted.h"

namespace Vtx {

struct IObjectClassReference : ulx::I_ReferenceCountedClass {
    // Both getters point into the reference's own texts; setters copy (null reads as empty).
    virtual const char* GetCatalogId() = 0;
    virtual void SetCatalogId(const char* catalogId) = 0;
    virtual const char* GetClassId() = 0;
    virtual void SetClassId(const char* classId) = 0;

protected:
    ~IObjectClassReference() = default;
};

struct ICategoryItemReference : IObjectClassReference {
    virtual const char* GetThirdText() = 0;
    virtual void SetThirdText(const char* text) = 0;

protected:
    ~ICategoryItemReference() = default;
};

// A set of class references: adding a pair that is already there does nothing.
struct IObjectClassReferenceCollection : ulx::I_ReferenceCountedClass {
    virtual int GetCount() = 0;
    virtual void Add(const char* catalogId, const char* classId) = 0;
    // Adds each of the other's references in order; a null other does nothing.
    virtual void AddAll(IObjectClassReferenceCollection* other) = 0;
    // Removes the reference with the pair; none throws a collection error.
    virtual void Remove(const char* catalogId, const char* classId) = 0;
    virtual bool Contains(const char* catalogId, const char* classId) = 0;
    // The reference with the pair (no reference added); none throws a collection error.
    virtual IObjectClassReference* GetItemByIds(const char* catalogId, const char* classId) = 0;
    // The reference at the index (no reference added); a bad index throws the range error.
    virtual IObjectClassReference* GetItem(int index) = 0;
    // Whether every reference of the other is here; a null other holds none.
    virtual bool ContainsAll(IObjectClassReferenceCollection* other) = 0;
    // Releases and removes every reference.
    virtual void Clear() = 0;

protected:
    ~IObjectClassReferenceCollection() = default;
};

} // namespace Vtx
