// Recycled memory: a released object's block serves the next object of its class, no more
// blocks are kept than the store holds, and objects of another size use the heap.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <set>
#include <vector>

#include "sdk/object/RecycledBlocks.h"

namespace {

struct Recycled {
    RECYCLED_BLOCKS(Recycled)
    virtual ~Recycled() = default;
    double payload[4] = {};
};

struct Larger : Recycled {
    double more[8] = {};
};

struct Throwing {
    RECYCLED_BLOCKS(Throwing)
    Throwing() { throw 1; }
    double payload[3] = {};
};

TEST(RecycledBlocks, ReleasedBlocksServeTheNextObjectsUpToTheStoresSize) {
    using Store = Vtx::RecycledBlocks<Recycled>;
    std::vector<Recycled*> made;
    for (std::size_t i = 0; i < Store::kKeptBlocks + 4; ++i) made.push_back(new (std::nothrow) Recycled);
    std::set<void*> released;
    for (Recycled* object : made) {
        released.insert(object);
        delete object;
    }
    // The next objects take kept blocks: each one of the released, none twice.
    std::vector<Recycled*> again;
    std::set<void*> seen;
    for (std::size_t i = 0; i < Store::kKeptBlocks; ++i) {
        again.push_back(new Recycled);
        again.back()->payload[0] = static_cast<double>(i);  // the block is usable whole
        EXPECT_TRUE(seen.insert(again.back()).second);
        if (VTX_RECYCLE_BLOCKS) {
            EXPECT_TRUE(released.count(again.back())) << i;
        }
    }
    for (Recycled* object : again) delete object;
}

TEST(RecycledBlocks, ObjectsOfAnotherSizeAndFailedConstructionsUseTheHeap) {
    // A derived object of another size never takes a block kept for the base, nor leaves
    // its own in the base's store: the base's block is still the one handed out next.
    Recycled* base = new Recycled;
    void* const baseBlock = base;
    delete base;
    Recycled* derived = new Larger;
    EXPECT_NE(static_cast<void*>(derived), baseBlock);
    static_cast<Larger*>(derived)->more[7] = 1.0;
    delete derived;
    Recycled* next = new Recycled;
    if (VTX_RECYCLE_BLOCKS) {
        EXPECT_EQ(static_cast<void*>(next), baseBlock);
    }
    delete next;
    // A constructor that throws gives its block back (a leak checker would report it).
    EXPECT_THROW(new Throwing, int);
}

} // namespace
