#pragma once
// The kernel clock: 100-ns units since the clock was made. Every reading is larger than
// the one before, so two values stamped one after the other never carry the same time.
// The scheduler may move the clock forward to the next activation instead of waiting for
// it; the clock then keeps running from there.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "vtx/Block.h"

namespace vtxhost {

class CKernelClock : public Vtx::IKernelClock {
public:
    CKernelClock();
    virtual ~CKernelClock() = default;

    std::int64_t GetCurrentTime() override;
    // Moves the clock forward so that the next reading is at least time; never backward.
    void AdvanceTo(std::int64_t time);

private:
    std::int64_t Elapsed() const;

    std::mutex advancing_;  // one move forward at a time; readings take no lock
    std::chrono::steady_clock::time_point origin_;
    std::atomic<std::int64_t> offset_{0};
    std::atomic<std::int64_t> last_{-1};  // the last reading: the next one is larger
};

} // namespace vtxhost
