#pragma once
// CObjectClassReferenceCollectionImpl: a locked, ordered set of class references; each pair
// is held once, by one reference on its own reference object.
#include <boost/thread/recursive_mutex.hpp>

#include <string>
#include <utility>
#include <vector>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/ObjectClassReference.h"

namespace Vtx {

class CObjectClassReferenceCollectionImpl
    : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<IObjectClassReferenceCollection>>> {
public:
    using mutex_type = boost::recursive_mutex;
    // (catalog identifier, class identifier)
    using Pair = std::pair<std::string, std::string>;

    CObjectClassReferenceCollectionImpl();
    CObjectClassReferenceCollectionImpl(const CObjectClassReferenceCollectionImpl&) = delete;
    CObjectClassReferenceCollectionImpl& operator=(const CObjectClassReferenceCollectionImpl&) = delete;

    int GetCount() override;
    // An allocation failure throws CMemoryExceptionImpl.
    void Add(const char* catalogId, const char* classId) override;
    void AddAll(IObjectClassReferenceCollection* other) override;
    void Remove(const char* catalogId, const char* classId) override;
    bool Contains(const char* catalogId, const char* classId) override;
    IObjectClassReference* GetItemByIds(const char* catalogId, const char* classId) override;
    IObjectClassReference* GetItem(int index) override;
    bool ContainsAll(IObjectClassReferenceCollection* other) override;
    void Clear() override;

    ~CObjectClassReferenceCollectionImpl() override;

    // Index of the first reference with both identifiers; none throws CCollectionExceptionImpl().
    virtual int GetIndex(const char* catalogId, const char* classId);

    // The pairs, in order, copied under the lock.
    std::vector<Pair> Pairs();

private:
    template <class F>
    decltype(auto) Guarded(F&& body);
    int FindIndex(const char* catalogId, const char* classId);
    // The other's pairs, read without holding this collection's lock, so that two
    // collections adding each other at once cannot wait on each other.
    static std::vector<Pair> PairsOf(IObjectClassReferenceCollection* other);

    mutex_type mutex_;
    std::vector<IObjectClassReference*> items_;
};

} // namespace Vtx
