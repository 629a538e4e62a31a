#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/ThreadMessages.h"
#include "sdk/events/EventSinks.h"
#include "sdk/object/ReferenceCounting.h"

using namespace Vtx;
using platform::DWORD;
using platform::GetCurrentThreadId;
using platform::RunMessageLoopTurn;
using platform::WaitForThreadMessage;

namespace {

// Bound on every wait below: a guard against a hang, never reached when the code works.
constexpr DWORD kGuardMilliseconds = 30000;

// Checks that every call arrives once, in the order each thread made its calls, on the
// owner thread. Source = calling thread's index, kind = that thread's call number.
class SequenceSink : public CMsgMessageEventSinkImpl {
public:
    explicit SequenceSink(std::size_t threads) : next(threads, 0) {}
    std::vector<EventValue> next;
    std::size_t handled = 0;
    std::size_t outOfOrder = 0;
    std::size_t offOwner = 0;

    void Handle(EventValue source, EventValue kind, const char* text) override {
        if (source >= next.size() || kind != next[source] || text != std::to_string(kind)) ++outOfOrder;
        if (source < next.size()) next[source] = kind + 1;
        if (GetCurrentThreadId() != GetOwnerThread()) ++offOwner;
        ++handled;
    }
};

// Runs the calling thread's message loop until the predicate holds; false when no message
// came within the guard time.
template <class Done>
bool PumpUntil(Done done) {
    while (!done()) {
        if (!WaitForThreadMessage(kGuardMilliseconds)) return false;
        RunMessageLoopTurn();
    }
    return true;
}

void Drain() {
    while (RunMessageLoopTurn() > 0) {
    }
}

TEST(EventSinkConcurrency, WorkersAndTheOwnerInvokeAndEveryCallRunsOnceInOrder) {
    constexpr std::size_t kWorkers = 4;
    constexpr EventValue kCallsPerWorker = 2000;
    constexpr EventValue kOwnerCalls = 200;
    SequenceSink sink(kWorkers + 1);
    sink.Attach();

    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (EventValue i = 0; i < kCallsPerWorker; ++i) sink.Invoke(w, i, std::to_string(i).c_str());
        });
    // The owner makes calls of its own between loop turns; they run at once, after
    // whatever the workers queued before them.
    EventValue ownerCalls = 0;
    const std::size_t total = kWorkers * kCallsPerWorker + kOwnerCalls;
    for (; ownerCalls < kOwnerCalls; ++ownerCalls) {
        sink.Invoke(kWorkers, ownerCalls, std::to_string(ownerCalls).c_str());
        RunMessageLoopTurn();
    }
    const bool finished = PumpUntil([&] { return sink.handled == total; });
    for (auto& worker : workers) worker.join();
    EXPECT_TRUE(finished);
    sink.Detach();
    Drain();

    EXPECT_EQ(sink.handled, total);
    EXPECT_EQ(sink.outOfOrder, 0u);
    EXPECT_EQ(sink.offOwner, 0u);
    for (std::size_t w = 0; w < kWorkers; ++w) EXPECT_EQ(sink.next[w], kCallsPerWorker);
    EXPECT_EQ(sink.next[kWorkers], kOwnerCalls);
    EXPECT_EQ(sink.GetQueuedCount(), 0u);
}

class CountedObject
    : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<ulx::I_ReferenceCountedClass>>> {
public:
    explicit CountedObject(std::atomic<int>* deletions) : deletions_(deletions) {}
    ~CountedObject() override { deletions_->fetch_add(1); }

private:
    std::atomic<int>* deletions_;
};

class ObjectSink : public CMsgBitmapChangedEventSinkImpl {
public:
    std::size_t handled = 0;
    std::size_t offOwner = 0;
    void Handle(EventValue, ulx::I_ReferenceCountedClass* bitmap) override {
        if (!bitmap || GetCurrentThreadId() != GetOwnerThread()) ++offOwner;
        ++handled;
    }
};

TEST(EventSinkConcurrency, TwoOwnerThreadsGetOnlyTheirOwnCallsAndEveryObjectGoesOnce) {
    constexpr int kWorkers = 3;
    constexpr std::size_t kCallsPerSinkPerWorker = 500;
    std::atomic<int> deletions{0};
    ObjectSink sinks[2];
    std::promise<void> attached[2];
    std::atomic<bool> ownerFinished[2] = {{false}, {false}};

    std::vector<std::thread> owners;
    for (int o = 0; o < 2; ++o)
        owners.emplace_back([&, o] {
            sinks[o].Attach();
            attached[o].set_value();
            ownerFinished[o] =
                PumpUntil([&] { return sinks[o].handled == kWorkers * kCallsPerSinkPerWorker; });
            sinks[o].Detach();
        });
    for (auto& a : attached) ASSERT_EQ(a.get_future().wait_for(std::chrono::milliseconds(kGuardMilliseconds)),
                                       std::future_status::ready);

    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&] {
            for (std::size_t i = 0; i < kCallsPerSinkPerWorker; ++i)
                for (auto& sink : sinks) {
                    auto* object = new CountedObject(&deletions);
                    object->AddRef();
                    sink.Invoke(i, object);
                    object->Release();  // from here the queued call holds the only reference
                }
        });
    for (auto& worker : workers) worker.join();
    for (auto& owner : owners) owner.join();

    for (int o = 0; o < 2; ++o) {
        EXPECT_TRUE(ownerFinished[o]);
        EXPECT_EQ(sinks[o].handled, kWorkers * kCallsPerSinkPerWorker);
        EXPECT_EQ(sinks[o].offOwner, 0u);
    }
    EXPECT_EQ(deletions.load(), static_cast<int>(2 * kWorkers * kCallsPerSinkPerWorker));
}

TEST(EventSinkConcurrency, CallsSurviveTheOwnerDetachingAndAttachingAgainMeanwhile) {
    constexpr std::size_t kWorkers = 3;
    constexpr EventValue kCallsPerWorker = 1000;
    SequenceSink sink(kWorkers + 1);
    std::atomic<std::size_t> running{kWorkers};
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (EventValue i = 0; i < kCallsPerWorker; ++i) sink.Invoke(w, i, std::to_string(i).c_str());
            --running;
        });
    // Wake-ups that arrive while detached are ignored; the calls wait in the queue.
    while (running.load() > 0) {
        sink.Attach();
        RunMessageLoopTurn();
        sink.Detach();
    }
    for (auto& worker : workers) worker.join();
    sink.Attach();
    sink.Invoke(kWorkers, 0, "0");  // on the owner thread: runs everything still queued
    sink.Detach();
    Drain();

    EXPECT_EQ(sink.handled, kWorkers * kCallsPerWorker + 1);
    EXPECT_EQ(sink.outOfOrder, 0u);
    EXPECT_EQ(sink.offOwner, 0u);
    for (std::size_t w = 0; w < kWorkers; ++w) EXPECT_EQ(sink.next[w], kCallsPerWorker);
}

// Detach from another thread returns only after the handler running on the owner ended,
// so the caller may destroy the sink right after it.
class BlockingSink : public CMsgOwnerDrawnAreaChangedEventSinkImpl {
public:
    std::promise<void> entered;
    std::atomic<bool> finished{false};
    std::atomic<bool> sawDetach{false};
    void Handle(EventValue) override {
        entered.set_value();
        // Stay in the handler until the other thread's Detach has forgotten the owner.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMilliseconds);
        while (GetOwnerThread() != 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        sawDetach = GetOwnerThread() == 0;
        finished = true;
    }
};

TEST(EventSinkConcurrency, DetachFromAnotherThreadWaitsForTheRunningHandler) {
    auto* sink = new BlockingSink;
    sink->Attach();
    std::thread([&] { sink->Invoke(1); }).join();

    bool finishedWhenDetachReturned = false;
    std::future<void> entered = sink->entered.get_future();
    std::thread detacher([&] {
        if (entered.wait_for(std::chrono::milliseconds(kGuardMilliseconds)) != std::future_status::ready) return;
        sink->Detach();
        finishedWhenDetachReturned = sink->finished.load();
        delete sink;  // safe: the owner is out of the handler
    });
    RunMessageLoopTurn();
    detacher.join();
    EXPECT_TRUE(finishedWhenDetachReturned);
    Drain();
    EXPECT_EQ(platform::GetThreadHookCount(GetCurrentThreadId()), 0);
}

}  // namespace
