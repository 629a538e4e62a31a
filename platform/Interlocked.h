#pragma once
// Interlocked counts: atomic increment and decrement returning the new value.
#include <atomic>
#include <cstdint>

namespace platform {

using InterlockedCount = std::atomic<std::int32_t>;

inline std::int32_t InterlockedIncrement(InterlockedCount* target) {
    return target->fetch_add(1, std::memory_order_relaxed) + 1;
}

// Acquire-release on the way down, so that the thread that
// deletes the object sees every write the other holders made before letting go.
inline std::int32_t InterlockedDecrement(InterlockedCount* target) {
    const std::int32_t n = target->fetch_sub(1, std::memory_order_acq_rel) - 1;
    return n;
}

} // namespace platform
