#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FakeObjectClass.h"
#include "sdk/object/CollectionInstances.h"

using namespace Vtx;
using CollectionTesting::Counters;
using CollectionTesting::FakeObjectClass;

namespace {

const char* const kEmptyRange = "Error while accessing a collection.\nValid range index is [0--1]\nRequired index is 0.\n";
const char* const kRange = "Error while accessing a collection.\nValid range index is [0-2]\nRequired index is ";

template <class F>
std::string CollectionErrorOf(F&& call) {
    try {
        call();
    } catch (ICollectionException& e) {
        return e.GetMessageText();
    }
    return "<no collection exception>";
}

class ObjectClassCollection : public ::testing::Test {
protected:
    ObjectClassCollection() : collection(new CObjectClassObjectCollectionImpl) { collection->AddRef(); }
    ~ObjectClassCollection() override {
        collection->Release();
        for (FakeObjectClass* item : held) item->Release();
    }

    // A class the test holds one reference on, so its count shows what the collection holds.
    FakeObjectClass* Held(const char* classId) {
        auto* item = new FakeObjectClass(classId, counters);
        item->AddRef();
        held.push_back(item);
        return item;
    }

    // Adds held classes with the given identifiers, in order.
    void AddAll(std::initializer_list<const char*> ids) {
        for (const char* id : ids) collection->Add(Held(id));
    }

    Counters counters;
    CObjectClassObjectCollectionImpl* collection;
    std::vector<FakeObjectClass*> held;
};

TEST_F(ObjectClassCollection, TheCursorMovesOnHitsAndSpeedsUpTheNextLookUp) {
    AddAll({"a", "b", "c", "d", "e"});
    ASSERT_TRUE(collection->HasClassId("d"));
    counters.classIdCalls = 0;
    EXPECT_EQ(collection->GetIndex("d"), 3);
    EXPECT_EQ(counters.classIdCalls, 1);
    EXPECT_EQ(collection->GetItemByClassId("d"), held[3]);
    EXPECT_EQ(counters.classIdCalls, 2);

    // Another identifier: the cursor is tried, then every other index; the cursor stays.
    counters.classIdCalls = 0;
    EXPECT_EQ(collection->GetIndex("e"), 4);
    EXPECT_EQ(counters.classIdCalls, 5);
    EXPECT_EQ(collection->GetCursor(), 3);
    // Misses leave it where it was; hits through Contains move it.
    EXPECT_FALSE(collection->HasClassId("missing"));
    EXPECT_FALSE(collection->Contains(Held("x")));
    EXPECT_EQ(collection->GetCursor(), 3);
    EXPECT_TRUE(collection->Contains(held[1]));
    EXPECT_EQ(collection->GetCursor(), 1);

    // Clamped to the list, and a cursor left past the end by removals still finds the item.
    EXPECT_EQ(collection->SetCursor(10), 10);
    EXPECT_EQ(collection->GetCursor(), 4);
    collection->SetCursor(-4);
    EXPECT_EQ(collection->GetCursor(), 0);
    collection->SetCursor(4);
    collection->RemoveAt(4);
    collection->RemoveAt(3);
    EXPECT_EQ(collection->GetIndex("a"), 0);
}

TEST_F(ObjectClassCollection, FailedLookUpsNameTheRangeTheIdentifierOrThePointer) {
    FakeObjectClass* stranger = Held("a");
    EXPECT_EQ(CollectionErrorOf([&] { collection->GetIndex("a"); }), kEmptyRange);
    EXPECT_EQ(CollectionErrorOf([&] { collection->GetItemByClassId("a"); }), kEmptyRange);
    EXPECT_EQ(CollectionErrorOf([&] { collection->Remove(stranger); }), kEmptyRange);
    EXPECT_EQ(CollectionErrorOf([&] { collection->SetAt(0, stranger); }), kEmptyRange);
    EXPECT_FALSE(collection->HasClassId("a"));
    EXPECT_THROW(collection->Add(nullptr), IMemoryException);
    EXPECT_EQ(collection->GetCount(), 0);

    AddAll({"a", "b", "c"});
    EXPECT_EQ(CollectionErrorOf([&] { collection->GetItem(3); }), kRange + std::string("3.\n"));
    EXPECT_EQ(CollectionErrorOf([&] { collection->GetAt(-1); }), kRange + std::string("-1.\n"));
    EXPECT_EQ(CollectionErrorOf([&] { collection->RemoveAt(7); }), kRange + std::string("7.\n"));
    const std::string notFound = "The item specified was not found in the collection.\n";
    EXPECT_EQ(CollectionErrorOf([&] { collection->GetIndex("Missing"); }),
              notFound + "Class identifier (ClassID) of the searched item was \"Missing\".\n");
    const std::string pointerError = CollectionErrorOf([&] { collection->Remove(stranger); });
    EXPECT_EQ(pointerError.rfind(notFound + "Pointer to the searched item was 0x", 0), 0u) << pointerError;
    EXPECT_EQ(collection->CheckIndex(2), 3);
    EXPECT_EQ(collection->GetCount(), 3);
    EXPECT_EQ(stranger->ReferenceCount(), 1);  // refused changes take no reference
}

TEST_F(ObjectClassCollection, IdentifiersMatchExactlyAndMissingIdsMatchOnlyTheEmptyText) {
    AddAll({"Alpha", nullptr, "", "alpha"});
    EXPECT_EQ(collection->GetIndex("alpha"), 3);
    EXPECT_FALSE(collection->HasClassId("ALPHA"));
    EXPECT_FALSE(collection->HasClassId("Alph"));
    EXPECT_EQ(collection->GetIndex(""), 1);
    EXPECT_EQ(collection->GetIndex(nullptr), 1);
    collection->RemoveAt(1);
    EXPECT_EQ(collection->GetIndex(""), 1);  // the item whose identifier is empty
}

TEST_F(ObjectClassCollection, DuplicatesAreKeptAndRemoveTakesTheCursorEntryFirst) {
    FakeObjectClass* x = Held("x");
    FakeObjectClass* y = Held("y");
    collection->Add(x);
    collection->Add(y);
    EXPECT_EQ(collection->Add(x), 2);
    EXPECT_EQ(collection->GetCount(), 3);
    EXPECT_EQ(x->ReferenceCount(), 3);

    collection->SetCursor(2);
    collection->Remove(x);
    ASSERT_EQ(collection->GetCount(), 2);
    EXPECT_EQ(collection->GetAt(0), x);
    EXPECT_EQ(collection->GetAt(1), y);

    collection->SetCursor(1);  // y: not the item, so the first x goes
    collection->Add(x);        // [x, y, x]
    collection->Remove(x);
    ASSERT_EQ(collection->GetCount(), 2);
    EXPECT_EQ(collection->GetAt(0), y);
    EXPECT_EQ(collection->GetAt(1), x);
    EXPECT_EQ(x->ReferenceCount(), 2);
    EXPECT_EQ(y->ReferenceCount(), 2);
}

TEST_F(ObjectClassCollection, ReferencesAreHeldAndReleasedByEveryChange) {
    FakeObjectClass* a = Held("a");
    FakeObjectClass* b = Held("b");
    collection->Add(a);
    EXPECT_EQ(a->ReferenceCount(), 2);
    EXPECT_EQ(collection->GetAt(0), a);
    EXPECT_EQ(a->ReferenceCount(), 2);  // reading adds no reference

    collection->SetAt(0, b);
    EXPECT_EQ(a->ReferenceCount(), 1);
    EXPECT_EQ(b->ReferenceCount(), 2);
    collection->SetAt(0, b);  // the same item again
    EXPECT_EQ(b->ReferenceCount(), 2);
    collection->SetAt(0, nullptr);
    EXPECT_EQ(b->ReferenceCount(), 1);
    EXPECT_FALSE(collection->HasClassId("b"));  // an emptied entry matches nothing
    collection->SetAt(0, a);
    collection->RemoveAt(0);
    EXPECT_EQ(a->ReferenceCount(), 1);

    // Items only the collection holds go with Clear, each once.
    for (int i = 0; i < 3; ++i) collection->Add(new FakeObjectClass("owned", counters));
    collection->Add(a);
    collection->Clear();
    EXPECT_EQ(counters.deleted, 3);
    EXPECT_EQ(a->ReferenceCount(), 1);
    EXPECT_EQ(collection->GetCount(), 0);
    EXPECT_TRUE(collection->IsEmpty());

    // ... and with the collection itself.
    collection->Add(new FakeObjectClass("owned", counters));
    collection->Add(a);
    collection->Release();
    collection = new CObjectClassObjectCollectionImpl;
    collection->AddRef();
    EXPECT_EQ(counters.deleted, 4);
    EXPECT_EQ(a->ReferenceCount(), 1);
}

TEST_F(ObjectClassCollection, ContainerTableIsASecondInterfaceOfTheSameObject) {
    AddAll({"a", "b"});
    IObjectClassCollection<IObjectClass>* main = collection;
    ICollectionBase<IObjectClass>* container = main;
    EXPECT_NE(static_cast<void*>(container), static_cast<void*>(main));
    EXPECT_EQ(container->GetSize(), 2);
    container->Clear();
    EXPECT_EQ(main->GetCount(), 0);
    EXPECT_EQ(held[0]->ReferenceCount(), 1);
}

class ThrowingObjectClass : public FakeObjectClass {
public:
    using FakeObjectClass::FakeObjectClass;
    const char* GetClassId() override { throw std::out_of_range("class id unavailable"); }
};

TEST_F(ObjectClassCollection, StandardExceptionsLeaveAsStdExceptionAndFreeTheLock) {
    auto* failing = new ThrowingObjectClass("x", counters);
    collection->Add(failing);
    try {
        collection->HasClassId("x");
        ADD_FAILURE() << "no exception";
    } catch (CStdExceptionImpl& e) {
        EXPECT_STREQ(e.GetMessageText(), "class id unavailable");
    }
    // Another thread gets the lock: the failed operation gave it back.
    int seen = -1;
    std::thread([&] { seen = collection->GetCount(); }).join();
    EXPECT_EQ(seen, 1);
}

} // namespace
