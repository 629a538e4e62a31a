#pragma once
// The host's message dispatcher: keeps what blocks send (messages and signature changes)
// and passes each to the observers subscribed to it. Observers may be added from any
// thread; they run on the thread that sent the message. Event callbacks (the SDK's event
// sinks among them) attached through EventSinks() get the same messages and changes.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/run/EventSinkRegistry.h"
#include "vtx/MessageDispatcher.h"

namespace vtxhost {

struct DispatchedMessage {
    Vtx::IEventSource* source;
    std::int32_t kind;
    std::string text;
};

class CMessageDispatcher : public Vtx::IMessageDispatcher {
public:
    using MessageObserver = std::function<void(const DispatchedMessage&)>;
    using SignatureObserver = std::function<void(Vtx::IEventSource*, Vtx::IBlockSignature*)>;

    virtual ~CMessageDispatcher() = default;

    void SendMessage(Vtx::IEventSource* source, std::int32_t kind, const char* text) override;
    void NotifySignatureChanged(Vtx::IEventSource* source, Vtx::IBlockSignature* signature) override;

    // Subscriptions; the result identifies the subscription for Unsubscribe.
    std::int32_t SubscribeMessages(MessageObserver observer);
    std::int32_t SubscribeSignatureChanges(SignatureObserver observer);
    void Unsubscribe(std::int32_t subscription);

    std::vector<DispatchedMessage> Messages() const;
    // Keeps at most the newest `limit` messages (all of them unless set), for hosts that run
    // a patch for as long as it is wanted.
    void SetMessageLimit(std::size_t limit);
    std::size_t SignatureChangeCount() const;
    void ClearMessages();

    // The event callbacks attached to this dispatcher.
    CEventSinkRegistry& EventSinks() { return eventSinks_; }

private:
    mutable std::mutex mutex_;
    std::vector<DispatchedMessage> messages_;
    std::size_t messageLimit_ = static_cast<std::size_t>(-1);
    std::size_t signatureChanges_ = 0;
    std::int32_t nextSubscription_ = 1;
    std::vector<std::pair<std::int32_t, MessageObserver>> messageObservers_;
    std::vector<std::pair<std::int32_t, SignatureObserver>> signatureObservers_;
    CEventSinkRegistry eventSinks_;
};

} // namespace vtxhost
