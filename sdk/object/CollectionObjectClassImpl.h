#pragma once
// CObjectClassCollectionImpl<C>: a collection whose items answer GetClassId, looked up by
// class identifier. A hit of HasClassId moves the cursor onto the item, and GetIndex tries
// the cursor first, so a look-up right after a test, or a repeated look-up, costs one
// comparison.
#include "sdk/object/CollectionImpl.h"

namespace Vtx {

template <class C>
class CObjectClassCollectionImpl : public CCollectionImpl<C> {
public:
    using typename CCollectionImpl<C>::item_type;

    CObjectClassCollectionImpl() = default;

    bool HasClassId(const char* classId) override {
        return this->Guarded([&] {
            auto& items = this->Items();
            for (std::size_t i = 0; i < items.size(); ++i) {
                if (Matches(items[i], classId)) {
                    this->Cursor() = static_cast<int>(i);
                    return true;
                }
            }
            return false;
        });
    }

    item_type* GetItemByClassId(const char* classId) override {
        return this->Guarded([&] { return this->Items()[static_cast<std::size_t>(IndexLocked(classId))]; });
    }

    // Tries the cursor, then every other index from 0; does not move the cursor. An empty
    // collection fails with the range error of GetCursor.
    int GetIndex(const char* classId) override {
        return this->Guarded([&] { return IndexLocked(classId); });
    }

private:
    // GetIndex with the lock held.
    int IndexLocked(const char* classId) {
        const int cursor = this->CursorChecked();
        auto& items = this->Items();
        if (Matches(items[static_cast<std::size_t>(cursor)], classId)) return cursor;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (static_cast<int>(i) != cursor && Matches(items[i], classId)) return static_cast<int>(i);
        }
        throw CCollectionExceptionImpl(classId ? classId : "");
    }

    // Entries emptied through SetAt hold no class and match nothing.
    static bool Matches(item_type* item, const char* classId) {
        return item && detail::ClassIdMatches(item->GetClassId(), classId);
    }
};

} // namespace Vtx
