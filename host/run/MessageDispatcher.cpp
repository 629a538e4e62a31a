#include "host/run/MessageDispatcher.h"

#include <algorithm>

#include "vtx/BlockSignature.h"
#include "vtx/EventSource.h"

namespace vtxhost {

void CMessageDispatcher::SendMessage(Vtx::IEventSource* source, std::int32_t kind, const char* text) {
    std::string message = text ? text : "";
    if (message.size() > Vtx::kMaxDispatcherMessageLength) message.resize(Vtx::kMaxDispatcherMessageLength);
    DispatchedMessage dispatched{source, kind, std::move(message)};
    std::vector<MessageObserver> observers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        messages_.push_back(dispatched);
        if (messages_.size() > messageLimit_)
            messages_.erase(messages_.begin(), messages_.begin() + static_cast<std::ptrdiff_t>(messages_.size() - messageLimit_));
        for (const auto& entry : messageObservers_) observers.push_back(entry.second);
    }
    for (const auto& observer : observers) observer(dispatched);
    eventSinks_.NotifyMessage(reinterpret_cast<Vtx::EventValue>(source), static_cast<Vtx::EventValue>(kind),
                              dispatched.text.c_str());
}

void CMessageDispatcher::NotifySignatureChanged(Vtx::IEventSource* source, Vtx::IBlockSignature* signature) {
    std::vector<SignatureObserver> observers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++signatureChanges_;
        for (const auto& entry : signatureObservers_) observers.push_back(entry.second);
    }
    for (const auto& observer : observers) observer(source, signature);
    eventSinks_.NotifyBlockSignatureChanged(reinterpret_cast<Vtx::EventValue>(source), signature);
}

std::int32_t CMessageDispatcher::SubscribeMessages(MessageObserver observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t id = nextSubscription_++;
    messageObservers_.emplace_back(id, std::move(observer));
    return id;
}

std::int32_t CMessageDispatcher::SubscribeSignatureChanges(SignatureObserver observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::int32_t id = nextSubscription_++;
    signatureObservers_.emplace_back(id, std::move(observer));
    return id;
}

void CMessageDispatcher::Unsubscribe(std::int32_t subscription) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto matches = [subscription](const auto& entry) { return entry.first == subscription; };
    messageObservers_.erase(std::remove_if(messageObservers_.begin(), messageObservers_.end(), matches),
                            messageObservers_.end());
    signatureObservers_.erase(std::remove_if(signatureObservers_.begin(), signatureObservers_.end(), matches),
                              signatureObservers_.end());
}

std::vector<DispatchedMessage> CMessageDispatcher::Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}

void CMessageDispatcher::SetMessageLimit(std::size_t limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    messageLimit_ = limit;
    if (messages_.size() > messageLimit_)
        messages_.erase(messages_.begin(), messages_.begin() + static_cast<std::ptrdiff_t>(messages_.size() - messageLimit_));
}

std::size_t CMessageDispatcher::SignatureChangeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return signatureChanges_;
}

void CMessageDispatcher::ClearMessages() {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.clear();
    signatureChanges_ = 0;
}

} // namespace vtxhost
