#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "FakeObjectClass.h"
#include "sdk/object/CollectionInstances.h"
#include "sdk/object/ObjectClassReferenceCollectionImpl.h"
#include "sdk/object/PropertyCollectionImpl.h"
#include "sdk/object/PropertyImpl.h"

using namespace Vtx;
using CollectionTesting::Counters;
using CollectionTesting::FakeObjectClass;

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 1500;

template <class F>
void RunThreads(F&& work) {
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back([&work, t] { work(t); });
    for (std::thread& thread : threads) thread.join();
}

TEST(CollectionConcurrency, FourThreadsAddLookUpAndRemoveOnOneCollection) {
    Counters counters;
    auto* collection = new CObjectClassObjectCollectionImpl;
    collection->AddRef();
    auto* shared = new FakeObjectClass("shared", counters);
    shared->AddRef();
    collection->Add(shared);

    // Each thread works on its own classes and looks up everyone's shared one; failures are
    // counted, not asserted, off the main thread.
    std::atomic<int> failures{0};
    std::vector<std::vector<FakeObjectClass*>> owned(kThreads);
    RunThreads([&](int t) {
        for (int round = 0; round < kRounds; ++round) {
            const std::string id = "t" + std::to_string(t) + "-" + std::to_string(round % 8);
            auto* item = new FakeObjectClass(id.c_str(), counters);
            item->AddRef();
            owned[t].push_back(item);
            collection->Add(item);
            collection->Add(item);  // a duplicate entry, removed below as well
            if (!collection->HasClassId(id.c_str())) ++failures;
            if (collection->GetItemByClassId("shared") != shared) ++failures;
            if (collection->GetItemByClassId(id.c_str())->GetClassId() != std::string(id)) ++failures;
            if (!collection->Contains(item)) ++failures;
            collection->SetCursor(round);
            collection->Remove(item);
            collection->Remove(item);
            if (collection->Contains(item)) ++failures;
            if (collection->GetCount() < 1) ++failures;
        }
    });

    EXPECT_EQ(failures, 0);
    ASSERT_EQ(collection->GetCount(), 1);
    EXPECT_EQ(collection->GetAt(0), shared);
    for (auto& items : owned) {
        for (FakeObjectClass* item : items) {
            EXPECT_EQ(item->ReferenceCount(), 1);
            item->Release();
        }
    }
    EXPECT_EQ(counters.deleted, kThreads * kRounds);
    EXPECT_EQ(shared->ReferenceCount(), 2);
    collection->Release();
    EXPECT_EQ(shared->Release(), 0);
    EXPECT_EQ(counters.deleted, kThreads * kRounds + 1);
}

TEST(CollectionConcurrency, PropertySetGivesEveryThreadTheSameProperty) {
    auto* set = new CPropertyCollectionImpl("shared");
    set->AddRef();
    std::vector<std::vector<IProperty*>> seen(kThreads);
    RunThreads([&](int t) {
        for (int round = 0; round < 200; ++round) {
            const std::string name = "p" + std::to_string(round % 20);
            seen[t].push_back(set->FindOrAddProperty(name.c_str(), kPropertyInt));
        }
    });
    EXPECT_EQ(set->GetCount(), 20);
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(seen[t], seen[0]);
    set->Release();
}

TEST(CollectionConcurrency, ReferenceCollectionsAddingEachOtherDoNotWaitOnEachOther) {
    auto* left = new CObjectClassReferenceCollectionImpl;
    auto* right = new CObjectClassReferenceCollectionImpl;
    left->AddRef();
    right->AddRef();
    RunThreads([&](int t) {
        CObjectClassReferenceCollectionImpl* mine = t % 2 ? left : right;
        CObjectClassReferenceCollectionImpl* theirs = t % 2 ? right : left;
        for (int round = 0; round < 300; ++round) {
            const std::string id = std::to_string(t) + "-" + std::to_string(round % 10);
            mine->Add("kernel", id.c_str());
            mine->AddAll(theirs);
            theirs->ContainsAll(mine);
            if (round % 10 == 9) mine->Remove("kernel", id.c_str());
        }
    });
    // Every pair is held once: an AddAll snapshot may bring back a pair removed meanwhile,
    // but never a second copy.
    for (auto* refs : {left, right}) {
        const auto pairs = refs->Pairs();
        for (std::size_t i = 0; i < pairs.size(); ++i)
            for (std::size_t j = i + 1; j < pairs.size(); ++j) EXPECT_NE(pairs[i], pairs[j]);
        EXPECT_LE(pairs.size(), 40u);
    }
    left->Release();
    right->Release();
}

} // namespace
