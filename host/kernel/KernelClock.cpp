#include "host/kernel/KernelClock.h"

namespace vtxhost {

CKernelClock::CKernelClock() : origin_(std::chrono::steady_clock::now()) {}

std::int64_t CKernelClock::Elapsed() const {
    const auto span = std::chrono::steady_clock::now() - origin_;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(span).count() / 100;
}

std::int64_t CKernelClock::GetCurrentTime() {
    const std::int64_t now = Elapsed() + offset_.load(std::memory_order_acquire);
    std::int64_t last = last_.load(std::memory_order_relaxed);
    std::int64_t next;
    do {
        next = now > last ? now : last + 1;
    } while (!last_.compare_exchange_weak(last, next, std::memory_order_acq_rel, std::memory_order_relaxed));
    return next;
}

void CKernelClock::AdvanceTo(std::int64_t time) {
    std::lock_guard<std::mutex> lock(advancing_);
    const std::int64_t now = Elapsed() + offset_.load(std::memory_order_relaxed);
    if (time > now) offset_.fetch_add(time - now, std::memory_order_release);
    // The next reading is at least time.
    std::int64_t last = last_.load(std::memory_order_relaxed);
    while (last < time - 1 &&
           !last_.compare_exchange_weak(last, time - 1, std::memory_order_acq_rel, std::memory_order_relaxed)) {
    }
}

} // namespace vtxhost
