#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "host/BlockSignature.h"
#include "host/KernelServices.h"
#include "platform/ThreadMessages.h"
#include "sdk/events/EventSinks.h"
#include "vtx/EventSource.h"

using namespace Vtx;

namespace {

struct TestSource : IEventSource {
    void SetEventDispatcher(IMessageDispatcher*) override {}
    IMessageDispatcher* GetEventDispatcher() override { return nullptr; }
    const IMessageDispatcher* GetEventDispatcher() const override { return nullptr; }
};

class MessageSink : public CMsgMessageEventSinkImpl {
public:
    std::vector<std::string> texts;
    std::vector<EventValue> sources;
    void Handle(EventValue source, EventValue kind, const char* text) override {
        sources.push_back(source);
        texts.push_back(std::to_string(kind) + ":" + text);
    }
};

class SignatureSink : public CMsgBlockSignatureChangedEventSinkImpl {
public:
    std::vector<IBlockSignature*> signatures;
    void Handle(EventValue, ulx::I_ReferenceCountedClass* signature) override {
        signatures.push_back(interface_cast<IBlockSignature>(signature));
    }
};

TEST(DispatcherEventSinks, BlocksReportsReachSinksAttachedToTheHostDispatcher) {
    vtxhost::CKernelServices kernel;
    vtxhost::CEventSinkRegistry& sinks = kernel.Dispatcher().EventSinks();
    MessageSink messages;
    SignatureSink signatures;
    messages.Attach();
    signatures.Attach();
    sinks.Attach(static_cast<IEventDispatcher::IMessageCallback*>(&messages));
    sinks.Attach(static_cast<IEventDispatcher::IBlockSignatureChangedCallback*>(&signatures));

    TestSource source;
    auto* signature = new vtxhost::CBlockSignatureImpl(&kernel, nullptr);
    signature->AddRef();
    std::thread([&] {  // a block reporting on a worker thread, through the interface blocks see
        IMessageDispatcher* dispatcher = kernel.GetMessageDispatcher();
        dispatcher->SendMessage(&source, kMessageErrorInMethod, std::string(600, 'x').c_str());
        dispatcher->NotifySignatureChanged(&source, signature);
    }).join();
    EXPECT_EQ(signature->ReferenceCount(), 2);  // held by the queued call
    EXPECT_TRUE(messages.texts.empty());

    platform::RunMessageLoopTurn();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "3:" + std::string(kMaxDispatcherMessageLength, 'x'));
    EXPECT_EQ(messages.sources, std::vector<EventValue>{reinterpret_cast<EventValue>(&source)});
    EXPECT_EQ(signatures.signatures, std::vector<IBlockSignature*>{signature});
    EXPECT_EQ(signature->ReferenceCount(), 1);
    EXPECT_EQ(kernel.Dispatcher().Messages().size(), 1u);  // the dispatcher's own record stays

    sinks.Detach(static_cast<IEventDispatcher::IMessageCallback*>(&messages));
    sinks.Detach(static_cast<IEventDispatcher::IBlockSignatureChangedCallback*>(&signatures));
    kernel.GetMessageDispatcher()->SendMessage(&source, 2, "unheard");
    EXPECT_EQ(messages.texts.size(), 1u);
    messages.Detach();
    signatures.Detach();
    signature->Release();
}

}  // namespace
