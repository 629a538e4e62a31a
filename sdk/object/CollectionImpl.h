#pragma once
// CCollectionImpl<C>: the one implementation of every collection interface C (an
// ICollection<T> or an interface derived from it). The object holds one reference on each
// item, serialises every operation with its own recursive lock (operations that call other
// operations re-enter it on the same thread) and keeps a cursor: the index of the last item
// found, used as a search hint.
#include <boost/thread/lock_guard.hpp>
#include <boost/thread/recursive_mutex.hpp>

#include <cstring>
#include <utility>
#include <vector>

#include "sdk/object/Exceptions.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/Collection.h"

namespace Vtx {

namespace detail {

// Class identifier matching of the look-ups by identifier: an item without identifier (null
// or empty) matches the empty search text and nothing else; otherwise exact bytes.
inline bool ClassIdMatches(const char* itemId, const char* searched) {
    const bool itemEmpty = !itemId || !*itemId;
    const bool searchedEmpty = !searched || !*searched;
    if (itemEmpty || searchedEmpty) return itemEmpty && searchedEmpty;
    return std::strcmp(itemId, searched) == 0;
}

} // namespace detail

template <class C>
class CCollectionImpl : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<C>>> {
public:
    using item_type = typename C::item_type;
    using mutex_type = boost::recursive_mutex;

    CCollectionImpl() = default;
    CCollectionImpl(const CCollectionImpl&) = delete;
    CCollectionImpl& operator=(const CCollectionImpl&) = delete;

    // ---- main table ----

    item_type* GetAt(int index) override {
        return Guarded([&] {
            IndexChecked(index);
            return items_[static_cast<std::size_t>(index)];
        });
    }

    item_type* GetItem(int index) override { return GetAt(index); }

    bool Contains(item_type* item) override {
        return Guarded([&] {
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (items_[i] == item) {
                    cursor_ = static_cast<int>(i);
                    return true;
                }
            }
            return false;
        });
    }

    void Remove(item_type* item) override {
        Guarded([&] {
            // The entry at the cursor goes first when it is the item; an empty collection
            // fails here with the range error.
            const int cursor = CursorChecked();
            if (items_[static_cast<std::size_t>(cursor)] == item) return RemoveAt(cursor);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                if (static_cast<int>(i) != cursor && items_[i] == item) return RemoveAt(static_cast<int>(i));
            }
            throw CCollectionExceptionImpl(static_cast<const void*>(item));
        });
    }

    void RemoveAt(int index) override {
        Guarded([&] {
            IndexChecked(index);
            item_type* item = items_[static_cast<std::size_t>(index)];
            items_.erase(items_.begin() + index);
            // Released after the list is consistent again: the item's destructor may call
            // back into this collection.
            if (item) item->Release();
        });
    }

    int Add(item_type* item) override {
        return Guarded([&] {
            // Look-ups call into every item, so a null item is refused here.
            if (!item) throw CMemoryExceptionImpl(static_cast<const void*>(item));
            items_.push_back(item);
            item->AddRef();
            return static_cast<int>(items_.size()) - 1;
        });
    }

    void SetAt(int index, item_type* item) override {
        Guarded([&] {
            // Writing outside the list would corrupt memory: the index is checked like
            // every other index.
            IndexChecked(index);
            if (item) item->AddRef();
            item_type*& slot = items_[static_cast<std::size_t>(index)];
            item_type* previous = slot;
            slot = item;
            if (previous) previous->Release();
        });
    }

    // Releases every item, in order.
    ~CCollectionImpl() override {
        for (item_type* item : items_) {
            if (item) item->Release();
        }
    }

    // Stores the cursor unchecked (it is a hint) and returns it.
    virtual int SetCursor(int cursor) {
        return Guarded([&] { return cursor_ = cursor; });
    }

    // The cursor clamped to the list (0 when empty), stored back; throws the range error
    // when the collection is empty.
    virtual int GetCursor() {
        return Guarded([&] { return CursorChecked(); });
    }

    // The count when 0 <= index < count; otherwise the range error naming [0, count - 1]
    // and the index.
    virtual int CheckIndex(int index) {
        return Guarded([&] { return IndexChecked(index); });
    }

    // ---- container table ----

    int GetCount() override {
        return Guarded([&] { return static_cast<int>(items_.size()); });
    }

    bool IsEmpty() override {
        return Guarded([&] { return items_.empty(); });
    }

    void Clear() override {
        Guarded([&] {
            std::vector<item_type*> released;
            released.swap(items_);
            for (item_type* item : released) {
                if (item) item->Release();
            }
        });
    }

    int GetSize() override { return GetCount(); }

protected:
    // Runs an operation's body under the lock; a std::exception leaves it as a
    // CStdExceptionImpl.
    template <class F>
    decltype(auto) Guarded(F&& body) {
        return TranslateStdExceptions([&]() -> decltype(auto) {
            boost::lock_guard<mutex_type> lock(mutex_);
            return body();
        });
    }

    // For derived operations that already hold the lock.
    std::vector<item_type*>& Items() { return items_; }
    // GetCursor and CheckIndex without taking the lock again.
    int CursorChecked() {
        const int count = static_cast<int>(items_.size());
        if (cursor_ >= count) cursor_ = count - 1;
        if (cursor_ < 0) cursor_ = 0;
        IndexChecked(cursor_);
        return cursor_;
    }
    int IndexChecked(int index) {
        const int count = static_cast<int>(items_.size());
        if (index < 0 || index >= count) throw CCollectionExceptionImpl(index, 0, count - 1);
        return count;
    }
    int& Cursor() { return cursor_; }
    mutex_type& Mutex() { return mutex_; }

private:
    mutex_type mutex_;
    std::vector<item_type*> items_;
    int cursor_ = 0;
};

} // namespace Vtx
