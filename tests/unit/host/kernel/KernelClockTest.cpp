// The kernel clock's promise: every reading is larger than every reading before it, from
// any thread, and a move forward holds for the next reading; readings take no lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "host/kernel/KernelClock.h"

namespace {

TEST(KernelClockConcurrency, ReadingsFromManyThreadsAreAllDistinctAndRiseInEachThread) {
    vtxhost::CKernelClock clock;
    constexpr int kThreads = 4, kReadings = 20000;
    std::vector<std::vector<std::int64_t>> readings(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&clock, &readings, t] {
            auto& mine = readings[t];
            mine.reserve(kReadings);
            for (int i = 0; i < kReadings; ++i) {
                // One thread keeps moving the clock on while the others read it.
                if (t == 0 && i % 100 == 0) clock.AdvanceTo(clock.GetCurrentTime() + 1000);
                mine.push_back(clock.GetCurrentTime());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    std::vector<std::int64_t> all;
    for (const auto& mine : readings) {
        EXPECT_TRUE(std::is_sorted(mine.begin(), mine.end()));
        EXPECT_EQ(std::adjacent_find(mine.begin(), mine.end()), mine.end());
        all.insert(all.end(), mine.begin(), mine.end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "two readings carry the same time";
}

TEST(KernelClock, MovesForwardButNeverBack) {
    vtxhost::CKernelClock clock;
    const std::int64_t first = clock.GetCurrentTime();
    EXPECT_GE(first, 0);
    const std::int64_t later = first + 3'600'000'000;  // six minutes of 100-ns units
    clock.AdvanceTo(later);
    const std::int64_t moved = clock.GetCurrentTime();
    EXPECT_GE(moved, later);
    EXPECT_LT(moved, later + 600'000'000) << "the clock ran on by far more than the test took";
    clock.AdvanceTo(first);  // backward: nothing changes
    EXPECT_GT(clock.GetCurrentTime(), moved);
    // Moving to exactly the last reading still gives a larger one next.
    const std::int64_t last = clock.GetCurrentTime();
    clock.AdvanceTo(last);
    EXPECT_GT(clock.GetCurrentTime(), last);
}

} // namespace
