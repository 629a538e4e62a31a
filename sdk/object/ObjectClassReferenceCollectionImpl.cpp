#include "sdk/object/ObjectClassReferenceCollectionImpl.h"

#include <boost/thread/lock_guard.hpp>

#include <memory>
#include <new>

#include "sdk/object/Exceptions.h"
#include "sdk/object/ObjectClassReferenceImpl.h"

namespace Vtx {

namespace {

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

} // namespace

CObjectClassReferenceCollectionImpl::CObjectClassReferenceCollectionImpl() {}

CObjectClassReferenceCollectionImpl::~CObjectClassReferenceCollectionImpl() {
    for (IObjectClassReference* reference : items_) reference->Release();
}

template <class F>
decltype(auto) CObjectClassReferenceCollectionImpl::Guarded(F&& body) {
    return TranslateStdExceptions([&]() -> decltype(auto) {
        boost::lock_guard<mutex_type> lock(mutex_);
        return body();
    });
}

int CObjectClassReferenceCollectionImpl::FindIndex(const char* catalogId, const char* classId) {
    const std::string catalog = TextOrEmpty(catalogId);
    const std::string cls = TextOrEmpty(classId);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (cls == items_[i]->GetClassId() && catalog == items_[i]->GetCatalogId()) return static_cast<int>(i);
    }
    return -1;
}

int CObjectClassReferenceCollectionImpl::GetCount() {
    return Guarded([&] { return static_cast<int>(items_.size()); });
}

void CObjectClassReferenceCollectionImpl::Add(const char* catalogId, const char* classId) {
    Guarded([&] {
        if (FindIndex(catalogId, classId) >= 0) return;
        try {
            std::unique_ptr<CObjectClassReferenceImpl> reference(new CObjectClassReferenceImpl(catalogId, classId));
            items_.push_back(reference.get());
            reference.release()->AddRef();
        } catch (const std::bad_alloc&) {
            throw CMemoryExceptionImpl();
        }
    });
}

std::vector<CObjectClassReferenceCollectionImpl::Pair> CObjectClassReferenceCollectionImpl::Pairs() {
    return Guarded([&] {
        std::vector<Pair> pairs;
        pairs.reserve(items_.size());
        for (IObjectClassReference* reference : items_) pairs.emplace_back(reference->GetCatalogId(), reference->GetClassId());
        return pairs;
    });
}

std::vector<CObjectClassReferenceCollectionImpl::Pair> CObjectClassReferenceCollectionImpl::PairsOf(
    IObjectClassReferenceCollection* other) {
    if (auto* own = dynamic_cast<CObjectClassReferenceCollectionImpl*>(other)) return own->Pairs();
    std::vector<Pair> pairs;
    const int count = other->GetCount();
    for (int i = 0; i < count; ++i) {
        IObjectClassReference* reference = other->GetItem(i);
        pairs.emplace_back(TextOrEmpty(reference->GetCatalogId()), TextOrEmpty(reference->GetClassId()));
    }
    return pairs;
}

void CObjectClassReferenceCollectionImpl::AddAll(IObjectClassReferenceCollection* other) {
    if (!other) return;
    TranslateStdExceptions([&] {
        const std::vector<Pair> pairs = PairsOf(other);
        Guarded([&] {
            for (const Pair& pair : pairs) Add(pair.first.c_str(), pair.second.c_str());
        });
    });
}

void CObjectClassReferenceCollectionImpl::Remove(const char* catalogId, const char* classId) {
    Guarded([&] {
        const int index = GetIndex(catalogId, classId);
        IObjectClassReference* reference = items_[static_cast<std::size_t>(index)];
        items_.erase(items_.begin() + index);
        reference->Release();
    });
}

bool CObjectClassReferenceCollectionImpl::Contains(const char* catalogId, const char* classId) {
    return Guarded([&] { return FindIndex(catalogId, classId) >= 0; });
}

IObjectClassReference* CObjectClassReferenceCollectionImpl::GetItemByIds(const char* catalogId, const char* classId) {
    return Guarded([&] { return GetItem(GetIndex(catalogId, classId)); });
}

IObjectClassReference* CObjectClassReferenceCollectionImpl::GetItem(int index) {
    return Guarded([&] {
        const int count = static_cast<int>(items_.size());
        if (index < 0 || index >= count) throw CCollectionExceptionImpl(index, 0, count - 1);
        return items_[static_cast<std::size_t>(index)];
    });
}

bool CObjectClassReferenceCollectionImpl::ContainsAll(IObjectClassReferenceCollection* other) {
    if (!other) return true;
    return TranslateStdExceptions([&] {
        const std::vector<Pair> pairs = PairsOf(other);
        return Guarded([&] {
            for (const Pair& pair : pairs) {
                if (!Contains(pair.first.c_str(), pair.second.c_str())) return false;
            }
            return true;
        });
    });
}

void CObjectClassReferenceCollectionImpl::Clear() {
    Guarded([&] {
        std::vector<IObjectClassReference*> released;
        released.swap(items_);
        for (IObjectClassReference* reference : released) reference->Release();
    });
}

int CObjectClassReferenceCollectionImpl::GetIndex(const char* catalogId, const char* classId) {
    return Guarded([&] {
        const int index = FindIndex(catalogId, classId);
        if (index < 0) throw CCollectionExceptionImpl();
        return index;
    });
}

} // namespace Vtx
