#include "host/run/MemoryBudget.h"

#include <unistd.h>

#include <atomic>

namespace vtxhost {
namespace memory_budget {

namespace {

constexpr std::size_t kReserve = std::size_t{16} << 20;

// Plain atomics, no allocation: the hooks call in here from operator new.
std::atomic<std::size_t> limit{0};
std::atomic<std::size_t> inUse{0};
std::atomic<bool> refused{false};
std::atomic<std::size_t> refusedSize{0};
std::atomic<std::size_t> refusedInUse{0};

} // namespace

std::size_t DefaultLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    std::size_t limit = std::size_t{2} << 30;
    if (pages > 0 && pageSize > 0) {
        const std::size_t half = static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
        if (half < limit) limit = half;
    }
    return limit;
}

void SetLimit(std::size_t bytes) { limit.store(bytes, std::memory_order_relaxed); }

std::size_t Limit() { return limit.load(std::memory_order_relaxed); }

std::size_t InUse() { return inUse.load(std::memory_order_relaxed); }

bool Fits(std::size_t size) {
    std::size_t most = limit.load(std::memory_order_relaxed);
    const std::size_t held = inUse.load(std::memory_order_relaxed);
    if (most == 0) return true;
    // Once a request was refused, a reserve above the limit lets the failure be reported
    // (texts, line look-ups, unwinding) while the memory that filled the budget is still held.
    if (refused.load(std::memory_order_relaxed)) most += kReserve;
    if (held <= most && size <= most - held) return true;
    if (!refused.exchange(true)) {
        refusedSize.store(size, std::memory_order_relaxed);
        refusedInUse.store(held, std::memory_order_relaxed);
    }
    return false;
}

void Add(std::size_t bytes) { inUse.fetch_add(bytes, std::memory_order_relaxed); }

void Remove(std::size_t bytes) { inUse.fetch_sub(bytes, std::memory_order_relaxed); }

bool TakeRefusal(Refusal& refusal) {
    if (!refused.load()) return false;
    refusal.requested = refusedSize.load(std::memory_order_relaxed);
    refusal.inUse = refusedInUse.load(std::memory_order_relaxed);
    refused.store(false);
    return true;
}

std::string Describe(const Refusal& refusal) {
    return "the memory budget of " + std::to_string(Limit() >> 20) + " MiB was exhausted (a request for " +
           std::to_string(refusal.requested) + " bytes was refused with " + std::to_string(refusal.inUse) +
           " bytes in use)";
}

} // namespace memory_budget
} // namespace vtxhost
