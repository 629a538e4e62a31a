#include "host/kernel/KernelClock.h"

namespace vtxhost {

CKernelClock::CKernelClock() : origin_(std::chrono::steady_clock::now()) {}

std::int64_t CKernelClock::Elapsed() const {
    const auto span = std::chrono::steady_clock::now() - origin_;
    return std::chrono::duration_cast<std::chrono::nanoseconds>(span).count() / 100;
}

std::int64_t CKernelClock::GetCurrentTime() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::int64_t now = Elapsed() + offset_;
    if (now <= last_) now = last_ + 1;
    last_ = now;
    return now;
}

void CKernelClock::AdvanceTo(std::int64_t time) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int64_t now = Elapsed() + offset_;
    if (time > now) offset_ += time - now;
    if (last_ >= time) return;
    last_ = time - 1;
}

} // namespace vtxhost
