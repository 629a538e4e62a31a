#include <gtest/gtest.h>

#include <atomic>
#include <functional>
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

namespace {

// Runs a function on a new thread and waits for it.
void OnWorker(const std::function<void()>& body) { std::thread(body).join(); }

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
    ~CountedObject() override { ++*deletions_; }

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
    static void Drain() {
        while (RunMessageLoopTurn() > 0) {
        }
    }
};

TEST_F(EventSink, ACallOnTheOwnerThreadRunsBeforeInvokeReturns) {
    RecordingMessageSink sink;
    EXPECT_FALSE(sink.IsAttached());
    sink.Attach();
    EXPECT_TRUE(sink.IsAttached());
    EXPECT_EQ(sink.GetOwnerThread(), GetCurrentThreadId());
    EXPECT_NE(CMsgEventSinkImpl::GetSinkMessageId(), 0u);

    sink.Invoke(7, 3, "now");
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"7:3:now"}));
    EXPECT_EQ(sink.GetQueuedCount(), 0u);
    sink.Detach();
    EXPECT_FALSE(sink.IsAttached());
    EXPECT_EQ(sink.GetOwnerThread(), 0u);
}

TEST_F(EventSink, WorkerCallsRunInOrderOnOneLoopTurnOfTheOwner) {
    RecordingMessageSink sink;
    sink.Attach();
    OnWorker([&] {
        sink.Invoke(1, 0, "a");
        sink.Invoke(1, 1, nullptr);  // null text arrives empty
        sink.Invoke(1, 2, "c");
    });
    EXPECT_TRUE(sink.handled.empty());  // nothing runs on the worker
    EXPECT_EQ(sink.GetQueuedCount(), 3u);

    RunMessageLoopTurn();
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"1:0:a", "1:1:", "1:2:c"}));
    EXPECT_EQ(sink.threads, std::vector<DWORD>(3, GetCurrentThreadId()));
    sink.Detach();
}

TEST_F(EventSink, TextsAreCopiedWhenTheCallIsQueued) {
    RecordingMessageSink sink;
    sink.Attach();
    OnWorker([&] {
        std::string text = "before";
        sink.Invoke(0, 0, text.c_str());
        text = "after!";
    });
    RunMessageLoopTurn();
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"0:0:before"}));
    sink.Detach();
}

TEST_F(EventSink, AMessagePostedBeforeDetachIsIgnoredAfterIt) {
    RecordingMessageSink sink;
    sink.Attach();
    OnWorker([&] { sink.Invoke(2, 0, "early"); });
    sink.Detach();
    RunMessageLoopTurn();
    EXPECT_TRUE(sink.handled.empty());
    EXPECT_EQ(sink.GetQueuedCount(), 1u);  // kept, not lost

    // Attached again, the next wake-up runs the early call first.
    sink.Attach();
    OnWorker([&] { sink.Invoke(2, 1, "late"); });
    RunMessageLoopTurn();
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"2:0:early", "2:1:late"}));
    sink.Detach();
}

TEST_F(EventSink, SinksOnOneThreadShareOneHookThatGoesWithTheLastDetach) {
    const DWORD self = GetCurrentThreadId();
    RecordingMessageSink first, second;
    first.Attach();
    EXPECT_EQ(GetThreadHookCount(self), 1);
    second.Attach();
    EXPECT_EQ(GetThreadHookCount(self), 1);

    first.Detach();
    EXPECT_EQ(GetThreadHookCount(self), 1);
    OnWorker([&] { second.Invoke(0, 5, "still"); });
    RunMessageLoopTurn();
    EXPECT_EQ(second.handled, (std::vector<std::string>{"0:5:still"}));

    second.Detach();
    EXPECT_EQ(GetThreadHookCount(self), 0);
    first.Detach();  // a second Detach changes nothing
    EXPECT_EQ(GetThreadHookCount(self), 0);
}

TEST_F(EventSink, AttachingAgainOnAnotherThreadMovesTheSinkAndItsHookShare) {
    const DWORD self = GetCurrentThreadId();
    RecordingMessageSink sink;
    sink.Attach();
    DWORD worker = 0;
    int hooksOnWorker = -1;
    OnWorker([&] {
        worker = GetCurrentThreadId();
        sink.Attach();
        hooksOnWorker = GetThreadHookCount(worker);
        sink.Invoke(0, 0, "on worker");
        sink.Detach();
    });
    EXPECT_EQ(GetThreadHookCount(self), 0);  // the first owner's hook went with the move
    EXPECT_EQ(hooksOnWorker, 1);
    EXPECT_EQ(sink.threads, std::vector<DWORD>{worker});
}

TEST_F(EventSink, AHandlerThatCausesNewCallbacksDoesNotDeadlockAndKeepsOrder) {
    RecordingMessageSink sink;
    sink.Attach();
    sink.onHandle = [&](EventValue kind) {
        if (kind == 1) sink.Invoke(0, 9, "from handler");  // on the owner thread, inside a run
    };
    OnWorker([&] {
        sink.Invoke(0, 1, "first");
        sink.Invoke(0, 2, "second");
    });
    RunMessageLoopTurn();
    // The handler's callback arrived after "second" was queued and runs after it.
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"0:1:first", "0:2:second", "0:9:from handler"}));

    sink.handled.clear();
    sink.Invoke(0, 1, "direct");  // the same from a callback on the owner thread
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"0:1:direct", "0:9:from handler"}));
    sink.Detach();
}

TEST_F(EventSink, AHandlerMayCallAnotherSinkOfItsThread) {
    RecordingMessageSink outer, inner;
    outer.Attach();
    inner.Attach();
    outer.onHandle = [&](EventValue) { inner.Invoke(0, 0, "inner"); };
    OnWorker([&] { outer.Invoke(0, 0, "outer"); });
    RunMessageLoopTurn();
    EXPECT_EQ(outer.handled.size(), 1u);
    EXPECT_EQ(inner.handled, (std::vector<std::string>{"0:0:inner"}));
    inner.Detach();
    outer.Detach();
}

TEST_F(EventSink, AThrowingHandlerLeavesTheLaterCallsQueued) {
    RecordingMessageSink sink;
    sink.Attach();
    sink.onHandle = [](EventValue kind) {
        if (kind == 2) throw CLogicExceptionImpl("handler failed");
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
    EXPECT_EQ(sink.handled.size(), 2u);
    EXPECT_EQ(sink.GetQueuedCount(), 1u);

    // The owner-thread path reports the exception through Invoke; the queue goes on after it.
    sink.onHandle = nullptr;
    sink.Invoke(0, 4, "");
    EXPECT_EQ(sink.handled, (std::vector<std::string>{"0:1:", "0:2:", "0:3:", "0:4:"}));
    sink.Detach();
}

TEST_F(EventSink, AStandardExceptionOfAHandlerLeavesInvokeAsAVtxException) {
    RecordingMessageSink sink;
    sink.Attach();
    sink.onHandle = [](EventValue) { throw std::runtime_error("std failure"); };
    try {
        sink.Invoke(0, 0, "");
        ADD_FAILURE() << "no exception";
    } catch (IException& e) {
        EXPECT_NE(std::string(e.GetMessageText()).find("std failure"), std::string::npos);
    }
    sink.Detach();
}

// A sink holding object arguments: it records whether each object was alive when handled.
class RecordingSignatureSink : public CMsgBlockSignatureChangedEventSinkImpl {
public:
    std::atomic<int>* deletions = nullptr;
    std::vector<int> deletionsSeen;
    void Handle(EventValue, ulx::I_ReferenceCountedClass* signature) override {
        ASSERT_NE(signature, nullptr);
        deletionsSeen.push_back(deletions->load());
    }
};

TEST_F(EventSink, AnObjectArgumentIsReleasedExactlyOnceWhenRun) {
    std::atomic<int> deletions{0};
    RecordingSignatureSink sink;
    sink.deletions = &deletions;
    sink.Attach();
    auto* object = new CountedObject(&deletions);
    object->AddRef();
    OnWorker([&] { sink.Invoke(1, object); });
    EXPECT_EQ(object->ReferenceCount(), 2);  // the queued call holds one
    object->Release();                       // the sink now holds the last one
    EXPECT_EQ(deletions.load(), 0);

    RunMessageLoopTurn();
    EXPECT_EQ(sink.deletionsSeen, std::vector<int>{0});  // alive while handled
    EXPECT_EQ(deletions.load(), 1);                      // and gone right after, once
    sink.Detach();
    EXPECT_EQ(deletions.load(), 1);
}

TEST_F(EventSink, AnObjectArgumentIsReleasedExactlyOnceWhenDiscarded) {
    std::atomic<int> deletions{0};
    auto* kept = new CountedObject(&deletions);
    kept->AddRef();
    {
        RecordingSignatureSink sink;
        sink.deletions = &deletions;
        sink.Attach();
        OnWorker([&] {
            sink.Invoke(1, kept);
            auto* dropped = new CountedObject(&deletions);
            dropped->AddRef();
            sink.Invoke(2, dropped);
            dropped->Release();
        });
        sink.Detach();
        RunMessageLoopTurn();  // the posted message is ignored
        EXPECT_TRUE(sink.deletionsSeen.empty());
        EXPECT_EQ(kept->ReferenceCount(), 2);
        EXPECT_EQ(deletions.load(), 0);
    }  // destroyed with two pending calls
    EXPECT_EQ(deletions.load(), 1);  // the dropped object, once
    EXPECT_EQ(kept->ReferenceCount(), 1);
    kept->Release();
    EXPECT_EQ(deletions.load(), 2);
}

TEST_F(EventSink, ASinkDestroyedWhileAttachedLeavesNoHookOrMessageBehind) {
    const DWORD self = GetCurrentThreadId();
    {
        RecordingMessageSink sink;
        sink.Attach();
        OnWorker([&] { sink.Invoke(0, 0, "pending"); });
    }
    EXPECT_EQ(GetThreadHookCount(self), 0);
    RunMessageLoopTurn();  // the pending wake-up names a sink that is gone: ignored
}

// Every sink class, through its callback interface: each argument reaches its handler.
template <class Sink, class... Args>
class Recorder : public Sink {
public:
    std::string* log;
    explicit Recorder(std::string* target) : log(target) {}
    void Handle(Args... args) override {
        std::string line;
        ((line += Describe(args) + ","), ...);
        *log += line + ";";
    }
    static std::string Describe(EventValue v) { return std::to_string(v); }
    static std::string Describe(const char* text) { return std::string("'") + text + "'"; }
    static std::string Describe(ulx::I_ReferenceCountedClass* o) { return o ? "object" : "null"; }
};

using Object = ulx::I_ReferenceCountedClass*;

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
        IEventDispatcher::IMessageCallback& m = message;
        m.Invoke(1, 2, "text");
        IEventDispatcher::IBlockSignatureChangedCallback& s = signature;
        s.Invoke(3, object);
        IEventDispatcher::IParameterLayoutChangedCallback& l = layout;
        l.Invoke(4, "min_0", nullptr);
        IEventDispatcher::IParameterValueChangedCallback& v = value;
        v.Invoke(5, 6, object);
        IEventDispatcher::IParameterEnabledCallback& e = enabled;
        e.Invoke(7, nullptr, 1);
        IEventDispatcher::IBitmapChangedCallback& b = bitmap;
        b.Invoke(8, object);
        IEventDispatcher::IOwnerDrawnAreaChangedCallback& d = drawn;
        d.Invoke(9);
        IEventDispatcher::IDocumentSizeChangedCallback& ds = document;
        ds.Invoke(10);
        IEventDispatcher::IPatchTopologyChangedCallback& t = topology;
        t.Invoke(11);
        IEventDispatcher::ISubpatchPinInfoChangedCallback& p = pins;
        p.Invoke(12);
    });
    EXPECT_EQ(object->ReferenceCount(), 4);
    RunMessageLoopTurn();
    EXPECT_EQ(log,
              "1,2,'text',;3,object,;4,'min_0',null,;5,6,object,;7,'',1,;8,object,;9,;10,;11,;12,;");
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
        static_cast<IEventDispatcher::IMessageCallback&>(sink).Invoke(0, 1, "");
        static_cast<IEventDispatcher::IParameterEnabledCallback&>(sink).Invoke(0, "x", 1);
        static_cast<IEventDispatcher::IMessageCallback&>(sink).Invoke(0, 2, "");
    });
    EXPECT_EQ(sink.GetQueuedCount(), 3u);
    RunMessageLoopTurn();
    EXPECT_EQ(sink.log, "m1exm2");
    sink.Detach();
    EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
}

}  // namespace
