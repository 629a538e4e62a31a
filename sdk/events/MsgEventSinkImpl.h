#pragma once
// The base of every event sink: calls queued from any thread run on the sink's owner thread,
// the thread that attached it, which runs a message loop. A queued call wakes the owner with
// the registered sink message; a message-retrieval hook, one per thread whatever the number
// of sinks attached there, picks the message up and runs the sink's queue.
//
// Threads and order: any thread may queue calls; they run on the owner thread only, oldest
// first, and never two at once. A call queued on the owner thread runs before the queuing
// operation returns, unless the owner is already running this sink's queue (a handler that
// causes a new callback): then the call runs right after the calls queued before it, so
// arrival order holds and nothing waits on itself. No lock is held while handlers run.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <utility>

#include <boost/function.hpp>

#include "platform/ThreadMessages.h"
#include "sdk/object/Exceptions.h"

namespace Vtx {

namespace detail {
struct SinkHook;
}

// Name of the thread message that wakes a sink's owner thread.
inline constexpr const char* kSinkMessageName = "Vantrix::HwndEventSinkImplWindowMessagesName";

class CMsgEventSinkImpl {
public:
    using BoundCall = boost::function<void()>;

    CMsgEventSinkImpl();
    // Pending calls are discarded without running (their object arguments are released).
    // A sink still attached is detached first, so that no message or hook refers to it later.
    // A handler may destroy its own sink (Detach(); delete this;): the run it is part of
    // then stops without touching the sink again, and threads waiting for that run in
    // Detach are let go before the sink's members go.
    virtual ~CMsgEventSinkImpl();

    // Runs the queue at once on the owner thread; from any other thread, posts the sink
    // message to the owner when calls are waiting.
    virtual void Notify();

    // Makes the calling thread the owner (detaching from a previous owner first) and makes
    // sure the thread has the sink hook. The calling thread must run a message loop.
    // Throws the logic error "RegisterWindowMessage failed" when the sink message cannot
    // be registered.
    void Attach();
    // Gives the sink's share of its owner's hook back (the hook goes with the last sink of
    // that thread) and forgets the owner. Messages already posted for the sink are ignored
    // from then on; queued calls stay queued. Called from another thread than the one
    // running the sink's handlers, it returns only once the running handler has finished
    // (or has destroyed the sink: the caller then must not touch it any more).
    void Detach();

    bool IsAttached() const { return attached_.load() != 0; }
    // The owner thread's id, 0 while detached.
    platform::DWORD GetOwnerThread() const { return owner_.load(); }
    // Number of calls waiting to run.
    std::size_t GetQueuedCount() const;

    // The id of the sink message, registered on first use; 0 until then.
    static platform::UINT GetSinkMessageId();

    CMsgEventSinkImpl(const CMsgEventSinkImpl&) = delete;
    CMsgEventSinkImpl& operator=(const CMsgEventSinkImpl&) = delete;

protected:
    // Appends a bound call to the queue, oldest first.
    void Enqueue(BoundCall call);

    // What every sink's Invoke does with the call it bound: Enqueue, then Notify.
    void Queue(BoundCall call) {
        Enqueue(std::move(call));
        Notify();
    }

    // On the owner thread: takes every queued call and runs them in order. An empty bound
    // call throws boost::bad_function_call. If a call throws, the calls taken after it go
    // back to the front of the queue before the exception leaves. Does nothing on another
    // thread than the owner.
    void DispatchQueued();

    // A one-byte flag for derived sinks, guarded by its own lock; no sink operation reads it.
    void SetStateFlag(std::uint8_t value);
    std::uint8_t GetStateFlag() const;

private:
    friend struct detail::SinkHook;

    // Under the queue lock: true when the calling thread may run the queue now. The run's
    // flag, on the running thread's stack, is set when a handler destroys the sink.
    bool BeginDispatch(platform::DWORD thread, bool* destroyed);
    void EndDispatch();
    // After a successful BeginDispatch: runs the queue, then ends the run, unless a handler
    // destroyed the sink: then it returns at once without touching the sink again.
    static void RunAndEndDispatch(CMsgEventSinkImpl* sink, const bool& destroyed);
    // Returns once no other thread than the caller is running this sink's handlers; the
    // second form with the queue lock already taken (held once) by the caller.
    void WaitForDispatchElsewhere();
    void WaitForDispatchElsewhere(std::unique_lock<std::recursive_mutex>& lock);

    std::atomic<platform::DWORD> owner_{0};
    std::atomic<std::uint8_t> attached_{0};
    mutable std::recursive_mutex stateLock_;
    std::uint8_t state_ = 0;
    mutable std::recursive_mutex queueLock_;
    std::list<BoundCall> queue_;
    // Guarded by the queue lock: who runs the queue now, and whether a call was queued by
    // the running thread during its run.
    bool dispatching_ = false;
    platform::DWORD dispatchingThread_ = 0;
    bool redispatch_ = false;
    bool* runDestroyed_ = nullptr;
    // Threads waiting in WaitForDispatchElsewhere; the destructor waits for them to leave.
    int waiters_ = 0;
    std::condition_variable_any dispatchFinished_;
};

}  // namespace Vtx
