#pragma once
// The events a live session has for its reader, held until the reader takes them. Values
// that change faster than the reader takes them are coalesced: each has a key (the pin,
// the block's profile, the patch state) and a newer value replaces the one still waiting
// under the same key. Messages are kept in order up to a limit; when the reader falls
// behind, the oldest are dropped and counted. What is held is therefore bounded by the
// number of keys and the message limit, however long the reader leaves it.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/kernel/JsonDocument.h"

namespace vtxhost::live {

class CSubscriptionStore {
public:
    explicit CSubscriptionStore(std::size_t messageLimit = 256) : messageLimit_(messageLimit) {}

    // The newest event under the key; it waits in the place of the first one not yet taken.
    void Put(const std::string& key, Json event);
    // An event kept in order; the oldest waiting one goes when the limit is reached.
    void Append(Json event);

    // The waiting events, oldest first; a "dropped" event first when messages were lost.
    std::vector<Json> Take();
    // Waits until events wait or the store closes, at most for the timeout; whether events wait.
    bool Wait(std::chrono::milliseconds timeout);
    // Wakes every waiter for good.
    void Close();
    bool IsClosed() const;

    // What is held: keys ever used, events waiting, and their size in bytes as text.
    struct Usage {
        std::size_t keys = 0;
        std::size_t waiting = 0;
        std::size_t bytes = 0;
    };
    Usage MeasureUsage() const;

private:
    struct Slot {
        Json event;
        bool waiting = false;
    };
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::unordered_map<std::string, std::size_t> slotOf_;
    std::vector<Slot> slots_;
    // The order of the waiting events: a slot index, or kMessage for the next message.
    static constexpr std::size_t kMessage = static_cast<std::size_t>(-1);
    std::deque<std::size_t> order_;
    std::deque<Json> messages_;
    std::size_t messageLimit_;
    std::uint64_t dropped_ = 0;
    bool closed_ = false;
};

} // namespace vtxhost::live
