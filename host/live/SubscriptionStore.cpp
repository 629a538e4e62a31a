#include "host/live/SubscriptionStore.h"

#include <algorithm>

namespace vtxhost::live {

void CSubscriptionStore::Put(const std::string& key, Json event) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = slotOf_.find(key);
        std::size_t index;
        if (found == slotOf_.end()) {
            index = slots_.size();
            slots_.push_back(Slot{});
            slotOf_.emplace(key, index);
        } else {
            index = found->second;
        }
        Slot& slot = slots_[index];
        slot.event = std::move(event);
        if (slot.waiting) return;
        slot.waiting = true;
        order_.push_back(index);
    }
    ready_.notify_all();
}

void CSubscriptionStore::Append(Json event) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (messageLimit_ == 0) {
            ++dropped_;
            return;
        }
        if (messages_.size() == messageLimit_) {
            // The oldest message goes, with its place in the order.
            messages_.pop_front();
            order_.erase(std::find(order_.begin(), order_.end(), kMessage));
            ++dropped_;
        }
        messages_.push_back(std::move(event));
        order_.push_back(kMessage);
    }
    ready_.notify_all();
}

std::vector<Json> CSubscriptionStore::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Json> events;
    events.reserve(order_.size() + 1);
    if (dropped_ != 0) {
        events.push_back(Json{{"event", "dropped"}, {"messages", dropped_}});
        dropped_ = 0;
    }
    for (std::size_t index : order_) {
        if (index == kMessage) {
            events.push_back(std::move(messages_.front()));
            messages_.pop_front();
            continue;
        }
        Slot& slot = slots_[index];
        events.push_back(std::move(slot.event));
        slot.event = Json();
        slot.waiting = false;
    }
    order_.clear();
    return events;
}

bool CSubscriptionStore::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait_for(lock, timeout, [this] { return !order_.empty() || dropped_ != 0 || closed_; });
    return !order_.empty() || dropped_ != 0;
}

void CSubscriptionStore::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_all();
}

bool CSubscriptionStore::IsClosed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

CSubscriptionStore::Usage CSubscriptionStore::MeasureUsage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    Usage usage;
    usage.keys = slots_.size();
    usage.waiting = order_.size();
    for (const Slot& slot : slots_)
        if (slot.waiting) usage.bytes += slot.event.dump(-1, ' ', false, Json::error_handler_t::replace).size();
    for (const Json& message : messages_) usage.bytes += message.dump(-1, ' ', false, Json::error_handler_t::replace).size();
    return usage;
}

} // namespace vtxhost::live
