// The C++ allocation functions of vtxhost, replaced so that every allocation, the loaded
// modules' included, is counted against the memory budget (host/run/MemoryBudget.h). A
// request that does not fit throws std::bad_alloc before anything is allocated. All go
// through malloc and free, so any form of new pairs with any form of delete as far as the
// allocator is concerned; over-aligned forms are left to the library, which pairs them
// among themselves.
#include <malloc.h>

#include <cstdlib>
#include <new>

#include "host/run/MemoryBudget.h"

namespace {

void* Allocate(std::size_t size) noexcept {
    if (!vtxhost::memory_budget::Fits(size)) return nullptr;
    void* block = std::malloc(size ? size : 1);
    if (block) vtxhost::memory_budget::Add(malloc_usable_size(block));
    return block;
}

void Free(void* block) noexcept {
    if (!block) return;
    vtxhost::memory_budget::Remove(malloc_usable_size(block));
    std::free(block);
}

void* AllocateOrThrow(std::size_t size) {
    for (;;) {
        if (void* block = Allocate(size)) return block;
        // The budget refused, or the allocator failed: a new-handler may free memory.
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

} // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
