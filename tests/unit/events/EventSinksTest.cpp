// Longer than our other tests: every sink kind shares the owner-thread fixture below.
// Event sinks: calls from any thread run on the owner thread in arrival order, object
// arguments are released once, hooks are shared per thread; and the same under load.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
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
using platform::GetThreadHookCount;
using platform::RunMessageLoopTurn;
using platform::WaitForThreadMessage;

namespace {

// Bound on every wait below: a guard against a hang, never reached when the code works.
constexpr DWORD kGuardMilliseconds = 30000;

void OnWorker(const std::function<void()>& body) { std::thread(body).join(); }

void Drain() {
    while (RunMessageLoopTurn() > 0) {
    }
}

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

// A message sink that records what its handler saw, and on which thread.
class RecordingMessageSink : public CMsgMessageEventSinkImpl {
public:
    std::vector<std::string> handled;
    std::vector<DWORD> threads;
    std::function<void(EventValue kind)> onHandle;
    void Handle(EventValue source, EventValue kind, const char* text) override {
        handled.push_back(std::to_string(source) + ":" + std::to_string(kind) + ":" + text);
        threads.push_back(GetCurrentThreadId());
        if (onHandle) onHandle(kind);
    }
};

// An object that counts its deletions.
class CountedObject
    : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<ulx::I_ReferenceCountedClass>>> {
public:
    explicit CountedObject(std::atomic<int>* deletions) : deletions_(deletions) {}
    ~CountedObject() override { deletions_->fetch_add(1); }

private:
    std::atomic<int>* deletions_;
};

class EventSink : public ::testing::Test {
protected:
    void SetUp() override { Drain(); }
    void TearDown() override {
        Drain();
        EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
    }
};

using Texts = std::vector<std::string>;

TEST_F(EventSink, OwnerCallsRunAtOnceAndWorkerCallsInOrderOnTheOwnersLoop) {
    RecordingMessageSink sink;
    sink.Attach();
    EXPECT_EQ(sink.GetOwnerThread(), GetCurrentThreadId());
    sink.Invoke(7, 3, "now");
    EXPECT_EQ(sink.handled, Texts{"7:3:now"});

    sink.handled.clear();
    sink.threads.clear();
    OnWorker([&] {
        std::string text = "a";
        sink.Invoke(1, 0, text.c_str());
        text = "changed";            // texts are copied when the call is queued
        sink.Invoke(1, 1, nullptr);  // null arrives empty
        sink.Invoke(1, 2, "c");
    });
    EXPECT_TRUE(sink.handled.empty());  // nothing runs on the worker
    EXPECT_EQ(sink.GetQueuedCount(), 3u);
    RunMessageLoopTurn();
    EXPECT_EQ(sink.handled, (Texts{"1:0:a", "1:1:", "1:2:c"}));
    EXPECT_EQ(sink.threads, std::vector<DWORD>(3, GetCurrentThreadId()));
    sink.Detach();
    EXPECT_EQ(sink.GetOwnerThread(), 0u);
}

TEST_F(EventSink, ACallPostedBeforeDetachIsKeptAndRunsAfterTheNextAttach) {
    RecordingMessageSink sink;
    sink.Attach();
    OnWorker([&] { sink.Invoke(2, 0, "early"); });
    sink.Detach();
    RunMessageLoopTurn();
    EXPECT_TRUE(sink.handled.empty());
    EXPECT_EQ(sink.GetQueuedCount(), 1u);
    sink.Attach();
    OnWorker([&] { sink.Invoke(2, 1, "late"); });
    RunMessageLoopTurn();
    EXPECT_EQ(sink.handled, (Texts{"2:0:early", "2:1:late"}));
    sink.Detach();
}

TEST_F(EventSink, SinksOfAThreadShareOneHookWhichMovesWithThem) {
    const DWORD self = GetCurrentThreadId();
    RecordingMessageSink first, second;
    first.Attach();
    second.Attach();
    EXPECT_EQ(GetThreadHookCount(self), 1);
    first.Detach();
    EXPECT_EQ(GetThreadHookCount(self), 1);
    first.Detach();  // a second Detach changes nothing
    EXPECT_EQ(GetThreadHookCount(self), 1);

    // Attached on another thread, the sink leaves this thread, and its hook with it.
    DWORD worker = 0;
    int hooksOnWorker = -1;
    OnWorker([&] {
        worker = GetCurrentThreadId();
        second.Attach();
        hooksOnWorker = GetThreadHookCount(worker);
        second.Invoke(0, 0, "on worker");
        second.Detach();
    });
    EXPECT_EQ(GetThreadHookCount(self), 0);
    EXPECT_EQ(hooksOnWorker, 1);
    EXPECT_EQ(second.threads, std::vector<DWORD>{worker});
}

TEST_F(EventSink, HandlersMayCauseCallbacksOfTheirOwnOrAnotherSinkWithoutDeadlock) {
    RecordingMessageSink sink, other;
    sink.Attach();
    other.Attach();
    sink.onHandle = [&](EventValue kind) {
        if (kind == 1) sink.Invoke(0, 9, "from handler");  // on the owner thread, inside a run
        if (kind == 2) other.Invoke(0, 0, "other");
    };
    OnWorker([&] {
        sink.Invoke(0, 1, "first");
        sink.Invoke(0, 2, "second");
    });
    RunMessageLoopTurn();
    // The handler's callback arrived after "second" was queued and runs after it.
    EXPECT_EQ(sink.handled, (Texts{"0:1:first", "0:2:second", "0:9:from handler"}));
    EXPECT_EQ(other.handled, Texts{"0:0:other"});
    sink.handled.clear();
    sink.Invoke(0, 1, "direct");  // the same from a call on the owner thread
    EXPECT_EQ(sink.handled, (Texts{"0:1:direct", "0:9:from handler"}));
    other.Detach();
    sink.Detach();
}

TEST_F(EventSink, AThrowingHandlerReachesTheCallerAndLeavesTheLaterCallsQueued) {
    RecordingMessageSink sink;
    sink.Attach();
    sink.onHandle = [](EventValue kind) {
        if (kind == 2) throw CLogicExceptionImpl("handler failed");
        if (kind == 5) throw std::runtime_error("std failure");
    };
    OnWorker([&] {
        for (EventValue kind = 1; kind <= 3; ++kind) sink.Invoke(0, kind, "");
    });
    try {
        RunMessageLoopTurn();
        ADD_FAILURE() << "the handler's exception was lost";
    } catch (ILogicException& e) {
        EXPECT_STREQ(e.GetMessageText(), "handler failed");
    }
    EXPECT_EQ(sink.GetQueuedCount(), 1u);
    // On the owner thread Invoke runs the rest first; a standard exception leaves it as a
    // Vtx exception.
    try {
        sink.Invoke(0, 5, "");
        ADD_FAILURE() << "no exception";
    } catch (IException& e) {
        EXPECT_NE(std::string(e.GetMessageText()).find("std failure"), std::string::npos);
    }
    EXPECT_EQ(sink.handled, (Texts{"0:1:", "0:2:", "0:3:", "0:5:"}));
    sink.Detach();
}

// Records whether each object was still alive when handled.
class RecordingSignatureSink : public CMsgBlockSignatureChangedEventSinkImpl {
public:
    std::atomic<int>* deletions = nullptr;
    std::vector<int> deletionsSeen;
    void Handle(EventValue, ulx::I_ReferenceCountedClass* signature) override {
        ASSERT_NE(signature, nullptr);
        deletionsSeen.push_back(deletions->load());
    }
};

TEST_F(EventSink, AnObjectArgumentIsReleasedOnceWhetherRunOrDiscarded) {
    std::atomic<int> deletions{0};
    auto* run = new CountedObject(&deletions);
    run->AddRef();
    auto* kept = new CountedObject(&deletions);
    kept->AddRef();
    {
        RecordingSignatureSink sink;
        sink.deletions = &deletions;
        sink.Attach();
        OnWorker([&] { sink.Invoke(1, run); });
        EXPECT_EQ(run->ReferenceCount(), 2);  // the queued call holds one
        run->Release();
        RunMessageLoopTurn();
        EXPECT_EQ(sink.deletionsSeen, std::vector<int>{0});  // alive while handled
        EXPECT_EQ(deletions.load(), 1);                      // and gone right after

        OnWorker([&] {
            sink.Invoke(1, kept);
            auto* dropped = new CountedObject(&deletions);
            dropped->AddRef();
            sink.Invoke(2, dropped);
            dropped->Release();
        });
        sink.Detach();
        RunMessageLoopTurn();  // the posted message is ignored
        EXPECT_EQ(kept->ReferenceCount(), 2);
        EXPECT_EQ(deletions.load(), 1);
    }  // destroyed with two pending calls
    EXPECT_EQ(deletions.load(), 2);  // the dropped object, once
    EXPECT_EQ(kept->ReferenceCount(), 1);
    kept->Release();

    // A sink destroyed while attached leaves no hook, and its pending wake-up is ignored.
    {
        RecordingMessageSink sink;
        sink.Attach();
        OnWorker([&] { sink.Invoke(0, 0, "pending"); });
    }
    EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
    RunMessageLoopTurn();
}

// Every sink class, through its callback interface: each argument reaches its handler.
template <class Sink, class... Args>
class Recorder : public Sink {
public:
    std::string* log;
    explicit Recorder(std::string* target) : log(target) {}
    void Handle(Args... args) override {
        ((*log += Describe(args) + ","), ...);
        *log += ";";
    }
    static std::string Describe(EventValue v) { return std::to_string(v); }
    static std::string Describe(const char* text) { return std::string("'") + text + "'"; }
    static std::string Describe(ulx::I_ReferenceCountedClass* o) { return o ? "object" : "null"; }
};

using Object = ulx::I_ReferenceCountedClass*;
using Callbacks = IEventDispatcher;

TEST_F(EventSink, EverySinkPassesItsArgumentsThrough) {
    std::string log;
    std::atomic<int> deletions{0};
    auto* object = new CountedObject(&deletions);
    object->AddRef();
    Recorder<CMsgMessageEventSinkImpl, EventValue, EventValue, const char*> message(&log);
    Recorder<CMsgBlockSignatureChangedEventSinkImpl, EventValue, Object> signature(&log);
    Recorder<CMsgParameterLayoutChangedEventSinkImpl, EventValue, const char*, Object> layout(&log);
    Recorder<CMsgParameterValueChangedEventSinkImpl, EventValue, EventValue, Object> value(&log);
    Recorder<CMsgParameterEnabledEventSinkImpl, EventValue, const char*, EventValue> enabled(&log);
    Recorder<CMsgBitmapChangedEventSinkImpl, EventValue, Object> bitmap(&log);
    Recorder<CMsgOwnerDrawnAreaChangedEventSinkImpl, EventValue> drawn(&log);
    Recorder<CMsgDocumentSizeChangedEventSinkImpl, EventValue> document(&log);
    Recorder<CMsgPatchTopologyChangedEventSinkImpl, EventValue> topology(&log);
    Recorder<CMsgSubpatchPinInfoChangedEventSinkImpl, EventValue> pins(&log);
    CMsgEventSinkImpl* all[] = {&message, &signature, &layout, &value, &enabled,
                                &bitmap,  &drawn,     &document, &topology, &pins};
    for (auto* sink : all) sink->Attach();
    OnWorker([&] {
        static_cast<Callbacks::IMessageCallback&>(message).Invoke(1, 2, "text");
        static_cast<Callbacks::IBlockSignatureChangedCallback&>(signature).Invoke(3, object);
        static_cast<Callbacks::IParameterLayoutChangedCallback&>(layout).Invoke(4, "min_0", nullptr);
        static_cast<Callbacks::IParameterValueChangedCallback&>(value).Invoke(5, 6, object);
        static_cast<Callbacks::IParameterEnabledCallback&>(enabled).Invoke(7, nullptr, 1);
        static_cast<Callbacks::IBitmapChangedCallback&>(bitmap).Invoke(8, object);
        static_cast<Callbacks::IOwnerDrawnAreaChangedCallback&>(drawn).Invoke(9);
        static_cast<Callbacks::IDocumentSizeChangedCallback&>(document).Invoke(10);
        static_cast<Callbacks::IPatchTopologyChangedCallback&>(topology).Invoke(11);
        static_cast<Callbacks::ISubpatchPinInfoChangedCallback&>(pins).Invoke(12);
    });
    EXPECT_EQ(object->ReferenceCount(), 4);
    RunMessageLoopTurn();
    EXPECT_EQ(log, "1,2,'text',;3,object,;4,'min_0',null,;5,6,object,;7,'',1,;8,object,;9,;10,;11,;12,;");
    EXPECT_EQ(object->ReferenceCount(), 1);
    for (auto* sink : all) sink->Detach();
    object->Release();
    EXPECT_EQ(deletions.load(), 1);
}

// Two sinks in one object share one queue (the base is virtual), so their calls keep
// their common arrival order.
class MessageAndEnabledSink : public CMsgMessageEventSinkImpl, public CMsgParameterEnabledEventSinkImpl {
public:
    std::string log;
    void Handle(EventValue, EventValue kind, const char*) override { log += "m" + std::to_string(kind); }
    void Handle(EventValue, const char* id, EventValue) override { log += std::string("e") + id; }
};

TEST_F(EventSink, TwoSinksInOneObjectShareOneQueue) {
    MessageAndEnabledSink sink;
    sink.Attach();
    OnWorker([&] {
        static_cast<Callbacks::IMessageCallback&>(sink).Invoke(0, 1, "");
        static_cast<Callbacks::IParameterEnabledCallback&>(sink).Invoke(0, "x", 1);
        static_cast<Callbacks::IMessageCallback&>(sink).Invoke(0, 2, "");
    });
    EXPECT_EQ(sink.GetQueuedCount(), 3u);
    RunMessageLoopTurn();
    EXPECT_EQ(sink.log, "m1exm2");
    sink.Detach();
}

// Checks that every call arrives once, in the order each thread made its calls, on the
// owner thread. Source = calling thread's index, kind = that thread's call number.
class SequenceSink : public CMsgMessageEventSinkImpl {
public:
    explicit SequenceSink(std::size_t threads) : next(threads, 0) {}
    std::vector<EventValue> next;
    std::size_t handled = 0, outOfOrder = 0, offOwner = 0;
    void Handle(EventValue source, EventValue kind, const char* text) override {
        if (source >= next.size() || kind != next[source] || text != std::to_string(kind)) ++outOfOrder;
        if (source < next.size()) next[source] = kind + 1;
        if (GetCurrentThreadId() != GetOwnerThread()) ++offOwner;
        ++handled;
    }
    void Expect(std::size_t total, EventValue perWorker, std::size_t workers) {
        EXPECT_EQ(handled, total);
        EXPECT_EQ(outOfOrder, 0u);
        EXPECT_EQ(offOwner, 0u);
        for (std::size_t w = 0; w < workers; ++w) EXPECT_EQ(next[w], perWorker);
    }
};

TEST(EventSinkConcurrency, WorkersAndTheOwnerInvokeAndEveryCallRunsOnceInOrder) {
    constexpr std::size_t kWorkers = 4;
    constexpr EventValue kCallsPerWorker = 2000, kOwnerCalls = 200;
    SequenceSink sink(kWorkers + 1);
    sink.Attach();
    std::vector<std::thread> workers;
    for (std::size_t w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (EventValue i = 0; i < kCallsPerWorker; ++i) sink.Invoke(w, i, std::to_string(i).c_str());
        });
    // The owner's own calls between loop turns run at once, after what was queued before.
    for (EventValue i = 0; i < kOwnerCalls; ++i) {
        sink.Invoke(kWorkers, i, std::to_string(i).c_str());
        RunMessageLoopTurn();
    }
    const std::size_t total = kWorkers * kCallsPerWorker + kOwnerCalls;
    const bool finished = PumpUntil([&] { return sink.handled == total; });
    for (auto& worker : workers) worker.join();
    EXPECT_TRUE(finished);
    sink.Detach();
    Drain();
    sink.Expect(total, kCallsPerWorker, kWorkers);
    EXPECT_EQ(sink.next[kWorkers], kOwnerCalls);
    EXPECT_EQ(sink.GetQueuedCount(), 0u);
}

class ObjectSink : public CMsgBitmapChangedEventSinkImpl {
public:
    std::size_t handled = 0, offOwner = 0;
    void Handle(EventValue, ulx::I_ReferenceCountedClass* bitmap) override {
        if (!bitmap || GetCurrentThreadId() != GetOwnerThread()) ++offOwner;
        ++handled;
    }
};

TEST(EventSinkConcurrency, TwoOwnerThreadsGetOnlyTheirOwnCallsAndEveryObjectGoesOnce) {
    constexpr int kWorkers = 3;
    constexpr std::size_t kCalls = 500;  // per sink and worker
    std::atomic<int> deletions{0};
    ObjectSink sinks[2];
    std::promise<void> attached[2];
    std::atomic<bool> ownerFinished[2] = {{false}, {false}};
    std::vector<std::thread> owners;
    for (int o = 0; o < 2; ++o)
        owners.emplace_back([&, o] {
            sinks[o].Attach();
            attached[o].set_value();
            ownerFinished[o] = PumpUntil([&] { return sinks[o].handled == kWorkers * kCalls; });
            sinks[o].Detach();
        });
    for (auto& a : attached)
        ASSERT_EQ(a.get_future().wait_for(std::chrono::milliseconds(kGuardMilliseconds)), std::future_status::ready);
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&] {
            for (std::size_t i = 0; i < kCalls; ++i)
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
        EXPECT_EQ(sinks[o].handled, kWorkers * kCalls);
        EXPECT_EQ(sinks[o].offOwner, 0u);
    }
    EXPECT_EQ(deletions.load(), static_cast<int>(2 * kWorkers * kCalls));
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
    sink.Expect(kWorkers * kCallsPerWorker + 1, kCallsPerWorker, kWorkers);
}

// Detach from another thread returns only after the handler running on the owner ended,
// so the caller may destroy the sink right after it.
class BlockingSink : public CMsgOwnerDrawnAreaChangedEventSinkImpl {
public:
    std::promise<void> entered;
    std::atomic<bool> finished{false};
    void Handle(EventValue) override {
        entered.set_value();
        // Stay in the handler until the other thread's Detach has forgotten the owner.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMilliseconds);
        while (GetOwnerThread() != 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
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
    EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
}

// A handler that detaches and deletes its own sink, which the sink's rules allow. The calls
// queued behind it are dropped and their objects released; nothing touches the deleted sink
// (a sanitizer run fails on any touch).
class SelfDeletingSink : public CMsgBitmapChangedEventSinkImpl {
public:
    static constexpr EventValue kDeletingCall = 2;
    SelfDeletingSink(std::vector<EventValue>* seen, int* sinkDeletions) : seen_(seen), sinkDeletions_(sinkDeletions) {}
    ~SelfDeletingSink() override { ++*sinkDeletions_; }
    void Handle(EventValue source, ulx::I_ReferenceCountedClass*) override {
        seen_->push_back(source);
        if (source != kDeletingCall) return;
        Detach();
        delete this;
    }

private:
    std::vector<EventValue>* seen_;
    int* sinkDeletions_;
};

TEST(EventSinkConcurrency, AHandlerDeletesItsOwnSinkOnTheOwnerThreadAndFromTheLoop) {
    std::atomic<int> objectDeletions{0};
    auto invoke = [&](CMsgBitmapChangedEventSinkImpl* sink, EventValue source) {
        auto* object = new CountedObject(&objectDeletions);
        object->AddRef();
        sink->Invoke(source, object);
        object->Release();
    };
    // On the owner thread the call runs inside Invoke.
    std::vector<EventValue> seen;
    int sinkDeletions = 0;
    auto* sink = new SelfDeletingSink(&seen, &sinkDeletions);
    sink->Attach();
    invoke(sink, 1);
    invoke(sink, SelfDeletingSink::kDeletingCall);
    EXPECT_EQ(seen, (std::vector<EventValue>{1, 2}));
    EXPECT_EQ(sinkDeletions, 1);
    EXPECT_EQ(objectDeletions.load(), 2);

    // From the message loop, with later calls queued behind the deleting one; the wake-ups
    // still posted for the sink are ignored.
    seen.clear();
    sink = new SelfDeletingSink(&seen, &sinkDeletions);
    sink->Attach();
    OnWorker([&] {
        for (EventValue source : {1, 2, 3, 4}) invoke(sink, source);
    });
    Drain();
    EXPECT_EQ(seen, (std::vector<EventValue>{1, 2}));
    EXPECT_EQ(sinkDeletions, 2);
    EXPECT_EQ(objectDeletions.load(), 6);
    EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
}

// Another thread detaches while a handler runs, and the handler then deletes its sink: the
// other thread's Detach returns, and the sink goes once.
class DetachedThenDeletingSink : public CMsgOwnerDrawnAreaChangedEventSinkImpl {
public:
    explicit DetachedThenDeletingSink(std::atomic<int>* deletions) : deletions_(deletions) {}
    ~DetachedThenDeletingSink() override { deletions_->fetch_add(1); }
    std::promise<void> entered;
    void Handle(EventValue) override {
        entered.set_value();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMilliseconds);
        while (GetOwnerThread() != 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        Detach();
        delete this;
    }

private:
    std::atomic<int>* deletions_;
};

TEST(EventSinkConcurrency, DetachFromAnotherThreadReturnsWhenTheHandlerDeletesTheSink) {
    std::atomic<int> deletions{0};
    auto* sink = new DetachedThenDeletingSink(&deletions);
    sink->Attach();
    std::thread([&] { sink->Invoke(1); }).join();
    std::future<void> entered = sink->entered.get_future();
    std::atomic<bool> detachReturned{false};
    std::thread detacher([&] {
        if (entered.wait_for(std::chrono::milliseconds(kGuardMilliseconds)) != std::future_status::ready) return;
        sink->Detach();
        detachReturned = true;
    });
    RunMessageLoopTurn();
    detacher.join();
    EXPECT_TRUE(detachReturned.load());
    EXPECT_EQ(deletions.load(), 1);
    Drain();
    EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
}

}  // namespace
