#pragma once
// A budget for the memory that the process's C++ allocations hold, so that a block asking
// for more than the host allows (a Vector of a billion entries, say) gets std::bad_alloc,
// which the block reports as a failure, instead of the process being killed by the system
// once memory runs out. It holds under AddressSanitizer too, whose allocator dies rather
// than fail a C++ allocation: the budget refuses a request before it reaches the allocator.
//
// The accounting lives here; the replaced allocation functions that consult it are linked
// into vtxhost only (tools/vtxhost/MemoryBudgetHooks.cpp), and modules loaded by vtxhost
// allocate through them as well. Without hooks the budget counts nothing and refuses
// nothing.
#include <cstddef>
#include <string>

namespace vtxhost {
namespace memory_budget {

// The budget vtxhost starts with: half the machine's memory, at most 2 GiB.
std::size_t DefaultLimit();
// The most bytes that may be held at once; 0 for no limit (the start).
void SetLimit(std::size_t bytes);
std::size_t Limit();
// Bytes held now by allocations made through the hooks.
std::size_t InUse();

// For the hooks: whether a request of size bytes fits the budget (a refusal is recorded),
// then the bytes an allocation really took and gave back. While a refusal is recorded and
// not yet taken, a reserve of 16 MiB above the limit is open, for reporting the failure.
bool Fits(std::size_t size);
void Add(std::size_t bytes);
void Remove(std::size_t bytes);

// The first refusal since the last call: the size requested, and the bytes held then.
struct Refusal {
    std::size_t requested = 0;
    std::size_t inUse = 0;
};
bool TakeRefusal(Refusal& refusal);

// "the memory budget of 2048 MiB was exhausted (a request for 8000000000 bytes was refused
// with 1048576 bytes in use)", for messages.
std::string Describe(const Refusal& refusal);

} // namespace memory_budget
} // namespace vtxhost
