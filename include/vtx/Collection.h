#pragma once
// The collection interfaces: reference-counted, ordered lists of reference-counted interface
// pointers. A collection object carries two interface tables: the main one (ICollection<T>,
// rooted at ulx::I_ReferenceCountedClass) and the container table (ICollectionBase<T>),
// reached at the object's second interface pointer.
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// Count, emptiness, clearing.
struct IContainer {
    virtual int GetCount() = 0;
    virtual bool IsEmpty() = 0;
    // Removes every item, releasing each.
    virtual void Clear() = 0;

protected:
    ~IContainer() = default;
};

template <class T>
struct ICollectionBase : IContainer {
    using item_type = T;
    // The same as GetCount.
    virtual int GetSize() = 0;

protected:
    ~ICollectionBase() = default;
};

template <class T>
struct ICollection : ulx::I_ReferenceCountedClass, ICollectionBase<T> {
    using item_type = T;
    using container_type = ICollectionBase<T>;

    // The item at the index; no reference is added. A bad index throws the range error.
    virtual T* GetAt(int index) = 0;
    // The same as GetAt.
    virtual T* GetItem(int index) = 0;
    // Whether the item is in the collection (by pointer); a hit moves the cursor to it.
    virtual bool Contains(T* item) = 0;
    // Removes one entry of the item: the one at the cursor when it is there, else the first.
    virtual void Remove(T* item) = 0;
    // Removes the entry at the index and releases its reference; later items move down.
    virtual void RemoveAt(int index) = 0;
    // Appends the item, taking one reference; returns its index.
    virtual int Add(T* item) = 0;
    // Replaces the entry at the index: takes a reference on the new item, releases the old.
    virtual void SetAt(int index, T* item) = 0;

protected:
    ~ICollection() = default;
};

// A collection of class-information records, class objects or class references, looked up
// by class identifier. A null or empty item identifier matches exactly the empty search
// text; otherwise the comparison is exact and case-sensitive.
template <class T>
struct IObjectClassCollection : ICollection<T> {
    // Whether an item has the identifier; a hit moves the cursor to it.
    virtual bool HasClassId(const char* classId) = 0;
    // The item with the identifier (no reference added); not found throws.
    virtual T* GetItemByClassId(const char* classId) = 0;
    // Index of the item with the identifier, trying the cursor first; not found throws.
    virtual int GetIndex(const char* classId) = 0;

protected:
    ~IObjectClassCollection() = default;
};

} // namespace Vtx
