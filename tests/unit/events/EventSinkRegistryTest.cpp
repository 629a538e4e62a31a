#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "host/signature/BlockSignature.h"
#include "host/run/EventSinkRegistry.h"
#include "host/kernel/KernelServices.h"
#include "platform/ThreadMessages.h"
#include "sdk/events/EventSinks.h"
#include "vtx/EventSource.h"

using namespace Vtx;
using vtxhost::CEventSinkRegistry;

namespace {

constexpr int kGuardMilliseconds = 30000;

// A plain callback (not a sink): runs on the notifying thread.
struct LoggingCallback : IEventDispatcher::IMessageCallback {
    std::string name;
    std::vector<std::string>* log;
    std::function<void()> during;
    LoggingCallback(std::string n, std::vector<std::string>* l) : name(std::move(n)), log(l) {}
    void Invoke(EventValue, EventValue kind, const char* text) override {
        log->push_back(name + ":" + std::to_string(kind) + ":" + text);
        if (during) during();
    }
};

class QueuedMessageSink : public CMsgMessageEventSinkImpl {
public:
    std::vector<std::string> handled;
    std::vector<platform::DWORD> threads;
    void Handle(EventValue source, EventValue kind, const char* text) override {
        handled.push_back(std::to_string(source) + ":" + std::to_string(kind) + ":" + text);
        threads.push_back(platform::GetCurrentThreadId());
    }
};

struct TestSource : IEventSource {
    void SetEventDispatcher(IMessageDispatcher*) override {}
    IMessageDispatcher* GetEventDispatcher() override { return nullptr; }
    const IMessageDispatcher* GetEventDispatcher() const override { return nullptr; }
};

class SignatureSink : public CMsgBlockSignatureChangedEventSinkImpl {
public:
    std::vector<IBlockSignature*> signatures;
    void Handle(EventValue, ulx::I_ReferenceCountedClass* signature) override {
        signatures.push_back(interface_cast<IBlockSignature>(signature));
    }
};

// Sinks attached to the host dispatcher's registry get the reports blocks send on any
// thread, on their own thread.
TEST(EventSinkRegistry, BlocksReportsReachSinksAttachedToTheHostDispatcher) {
    vtxhost::CKernelServices kernel;
    CEventSinkRegistry& sinks = kernel.Dispatcher().EventSinks();
    QueuedMessageSink messages;
    SignatureSink signatures;
    messages.Attach();
    signatures.Attach();
    sinks.Attach(static_cast<IEventDispatcher::IMessageCallback*>(&messages));
    sinks.Attach(static_cast<IEventDispatcher::IBlockSignatureChangedCallback*>(&signatures));

    TestSource source;
    auto* signature = new vtxhost::CBlockSignatureImpl(&kernel, nullptr);
    signature->AddRef();
    std::thread([&] {
        IMessageDispatcher* dispatcher = kernel.GetMessageDispatcher();
        dispatcher->SendMessage(&source, kMessageErrorInMethod, std::string(600, 'x').c_str());
        dispatcher->NotifySignatureChanged(&source, signature);
    }).join();
    EXPECT_EQ(signature->ReferenceCount(), 2);  // held by the queued call
    EXPECT_TRUE(messages.handled.empty());

    platform::RunMessageLoopTurn();
    const std::string sourceId = std::to_string(reinterpret_cast<EventValue>(&source));
    EXPECT_EQ(messages.handled, std::vector<std::string>{sourceId + ":3:" + std::string(kMaxDispatcherMessageLength, 'x')});
    EXPECT_EQ(messages.threads, std::vector<platform::DWORD>{platform::GetCurrentThreadId()});
    EXPECT_EQ(signatures.signatures, std::vector<IBlockSignature*>{signature});
    EXPECT_EQ(signature->ReferenceCount(), 1);
    EXPECT_EQ(kernel.Dispatcher().Messages().size(), 1u);  // the dispatcher's own record stays

    sinks.Detach(static_cast<IEventDispatcher::IMessageCallback*>(&messages));
    sinks.Detach(static_cast<IEventDispatcher::IBlockSignatureChangedCallback*>(&signatures));
    EXPECT_EQ(sinks.GetAttachedCount(), 0u);
    kernel.GetMessageDispatcher()->SendMessage(&source, 2, "unheard");
    EXPECT_EQ(messages.handled.size(), 1u);
    messages.Detach();
    signatures.Detach();
    signature->Release();
}

TEST(EventSinkRegistry, CallbacksRunInAttachOrderAndEachDetachRemovesOneAttachment) {
    CEventSinkRegistry registry;
    std::vector<std::string> log;
    LoggingCallback a("a", &log), b("b", &log);
    registry.Attach(&a);
    registry.Attach(&b);
    registry.Attach(&a);
    registry.Attach(static_cast<IEventDispatcher::IMessageCallback*>(nullptr));  // ignored
    registry.NotifyMessage(0, 1, "x");
    EXPECT_EQ(log, (std::vector<std::string>{"a:1:x", "b:1:x", "a:1:x"}));

    log.clear();
    registry.Detach(&a);
    registry.Detach(&b);
    registry.Detach(&b);  // not attached any more: nothing happens
    registry.NotifyMessage(0, 2, "y");
    EXPECT_EQ(log, (std::vector<std::string>{"a:2:y"}));
}

TEST(EventSinkRegistry, AThrowingCallbackDoesNotKeepTheOthersFromTheirCall) {
    CEventSinkRegistry registry;
    std::vector<std::string> log;
    LoggingCallback failing("f", &log), after("after", &log);
    failing.during = [] { throw CLogicExceptionImpl("callback failed"); };
    registry.Attach(&failing);
    registry.Attach(&after);
    registry.NotifyMessage(0, 0, "");
    EXPECT_EQ(log, (std::vector<std::string>{"f:0:", "after:0:"}));
    EXPECT_EQ(registry.TakeFailures(), std::vector<std::string>{"callback failed"});
    EXPECT_TRUE(registry.TakeFailures().empty());
}

TEST(EventSinkRegistry, ACallbackMayDetachItselfAndNotifyAgain) {
    CEventSinkRegistry registry;
    std::vector<std::string> log;
    LoggingCallback self("self", &log), other("other", &log);
    bool nested = false;
    self.during = [&] {
        registry.Detach(&self);  // its own call is running on this thread: no wait
        if (!nested) {
            nested = true;
            registry.NotifyMessage(0, 9, "nested");
        }
    };
    registry.Attach(&self);
    registry.Attach(&other);
    registry.NotifyMessage(0, 1, "outer");
    EXPECT_EQ(log, (std::vector<std::string>{"self:1:outer", "other:9:nested", "other:1:outer"}));
    EXPECT_EQ(registry.GetAttachedCount(), 1u);
}

// Detach from another thread returns only once the callback's running call has ended, so
// its owner may destroy it right after.
TEST(EventSinkRegistryConcurrency, DetachWaitsForACallRunningOnAnotherThread) {
    CEventSinkRegistry registry;
    std::vector<std::string> log;
    LoggingCallback callback("c", &log);
    std::promise<void> entered;
    std::atomic<bool> finished{false};
    callback.during = [&] {
        entered.set_value();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMilliseconds);
        while (registry.GetAttachedCount() != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        finished = true;
    };
    registry.Attach(&callback);
    std::thread notifier([&] { registry.NotifyMessage(0, 0, ""); });
    ASSERT_EQ(entered.get_future().wait_for(std::chrono::milliseconds(kGuardMilliseconds)),
              std::future_status::ready);
    registry.Detach(&callback);
    EXPECT_TRUE(finished.load());
    notifier.join();
}

TEST(EventSinkRegistryConcurrency, NotifiersAndAttachmentsChangingMeanwhile) {
    constexpr int kNotifiers = 3;
    constexpr EventValue kCalls = 1000;
    CEventSinkRegistry registry;
    QueuedMessageSink sink;
    sink.Attach();
    registry.Attach(static_cast<IEventDispatcher::IMessageCallback*>(&sink));
    std::atomic<int> plainCalls{0};
    struct Counting : IEventDispatcher::IMessageCallback {
        std::atomic<int>* calls;
        void Invoke(EventValue, EventValue, const char*) override { ++*calls; }
    } counting;
    counting.calls = &plainCalls;

    std::atomic<int> running{kNotifiers};
    std::vector<std::thread> notifiers;
    for (int n = 0; n < kNotifiers; ++n)
        notifiers.emplace_back([&, n] {
            for (EventValue i = 0; i < kCalls; ++i) registry.NotifyMessage(n, i, "");
            --running;
        });
    while (running.load() > 0) {  // attach and detach a second callback while they notify
        registry.Attach(&counting);
        registry.Detach(&counting);
        platform::RunMessageLoopTurn();
    }
    for (auto& n : notifiers) n.join();
    while (sink.handled.size() < kNotifiers * kCalls) {
        ASSERT_TRUE(platform::WaitForThreadMessage(kGuardMilliseconds));
        platform::RunMessageLoopTurn();
    }
    registry.Detach(static_cast<IEventDispatcher::IMessageCallback*>(&sink));
    sink.Detach();
    while (platform::RunMessageLoopTurn() > 0) {
    }
    EXPECT_EQ(sink.handled.size(), static_cast<std::size_t>(kNotifiers * kCalls));
}

}  // namespace
