#pragma once
// Memory for objects that are made and released over and over, such as the one value a
// source makes on every activation: a released object's block is kept and handed to the
// next object of the class, instead of going back to the heap and being asked for again.
// A class takes part by naming its own operator new and delete (RECYCLED_BLOCKS).
//
// At most kKeptBlocks blocks are kept per class, so the memory held is bounded; they go back
// to the heap when the image that holds the class is unloaded (or the program ends). Any
// thread may make and release: a spin lock, held for a few instructions, guards the store.
// Under AddressSanitizer every block comes from the heap and goes back to it, so that a use
// after release is still found.
#include <atomic>
#include <cstddef>
#include <new>

// 1 where released blocks are kept, 0 under AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
#define VTX_RECYCLE_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VTX_RECYCLE_BLOCKS 0
#endif
#endif
#ifndef VTX_RECYCLE_BLOCKS
#define VTX_RECYCLE_BLOCKS 1
#endif

namespace Vtx {

template <class T>
class RecycledBlocks {
public:
    static constexpr std::size_t kKeptBlocks = 16;

    // A block for an object of exactly T (a derived class of another size asks the heap);
    // null when the heap has none.
    static void* Allocate(std::size_t size) noexcept {
        if (VTX_RECYCLE_BLOCKS && size == sizeof(T)) {
            if (void* block = store_.Take()) return block;
        }
        return ::operator new(size, std::nothrow);
    }

    static void Release(void* block, std::size_t size) noexcept {
        if (!block) return;
        if (VTX_RECYCLE_BLOCKS && size == sizeof(T) && store_.Keep(block)) return;
        ::operator delete(block);
    }

private:
    class Store {
    public:
        Store() = default;
        Store(const Store&) = delete;
        Store& operator=(const Store&) = delete;
        ~Store() {
            Lock();
            for (std::size_t i = 0; i < count_; ++i) ::operator delete(blocks_[i]);
            count_ = 0;
            closed_ = true;  // an object released later gives its block to the heap
            Unlock();
        }

        void* Take() noexcept {
            Lock();
            void* block = count_ ? blocks_[--count_] : nullptr;
            Unlock();
            return block;
        }

        bool Keep(void* block) noexcept {
            Lock();
            const bool kept = !closed_ && count_ < kKeptBlocks;
            if (kept) blocks_[count_++] = block;
            Unlock();
            return kept;
        }

    private:
        void Lock() noexcept {
            while (busy_.test_and_set(std::memory_order_acquire)) {
            }
        }
        void Unlock() noexcept { busy_.clear(std::memory_order_release); }

        std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
        std::size_t count_ = 0;
        bool closed_ = false;
        void* blocks_[kKeptBlocks] = {};
    };

    static inline Store store_;
};

} // namespace Vtx

// Inside a class T: its objects' memory comes from RecycledBlocks<T>. Throwing new keeps
// its meaning (bad_alloc when the heap has nothing).
#define RECYCLED_BLOCKS(T)                                                                              \
    static void* operator new(std::size_t size) {                                                     \
        if (void* block = ::Vtx::RecycledBlocks<T>::Allocate(size)) return block;                    \
        throw std::bad_alloc();                                                                        \
    }                                                                                                  \
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {                     \
        return ::Vtx::RecycledBlocks<T>::Allocate(size);                                              \
    }                                                                                                  \
    static void operator delete(void* block, std::size_t size) noexcept {                             \
        ::Vtx::RecycledBlocks<T>::Release(block, size);                                               \
    }                                                                                                  \
    static void operator delete(void* block, const std::nothrow_t&) noexcept { ::operator delete(block); }
