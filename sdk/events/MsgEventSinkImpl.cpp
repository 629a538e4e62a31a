#include "sdk/events/MsgEventSinkImpl.h"

#include <map>
#include <set>

namespace Vtx {

using platform::DWORD;
using platform::HHOOK;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

namespace {

// The sink message id, registered once under its own lock.
std::recursive_mutex& messageIdLock() {
    static auto* lock = new std::recursive_mutex;
    return *lock;
}
std::atomic<UINT> sinkMessageId{0};

UINT EnsureSinkMessageId() {
    std::lock_guard<std::recursive_mutex> lock(messageIdLock());
    if (sinkMessageId.load() == 0) {
        const UINT id = platform::RegisterWindowMessageA(kSinkMessageName);
        if (id == 0) throw CLogicExceptionImpl("RegisterWindowMessage failed");
        sinkMessageId.store(id);
    }
    return sinkMessageId.load();
}

struct ThreadHook {
    HHOOK hook;
    int attachCount;
};

// Module-wide: the hook of every thread with attached sinks and the sinks attached now,
// both guarded by the hook lock. Never destroyed, so that threads ending at process exit
// still find them.
struct HookState {
    std::recursive_mutex lock;
    std::map<DWORD, ThreadHook> hooks;
    std::set<CMsgEventSinkImpl*> liveSinks;
};

HookState& hookState() {
    static auto* state = new HookState;
    return *state;
}

}  // namespace

namespace detail {

struct SinkHook {
    // Called for every message a thread with attached sinks retrieves.
    static LRESULT Procedure(int code, WPARAM wParam, LPARAM lParam) {
        const DWORD thread = platform::GetCurrentThreadId();
        HHOOK hook = nullptr;
        CMsgEventSinkImpl* sink = nullptr;
        bool destroyed = false;
        {
            HookState& state = hookState();
            std::lock_guard<std::recursive_mutex> lock(state.lock);
            auto entry = state.hooks.find(thread);
            if (entry != state.hooks.end()) hook = entry->second.hook;
            const auto* message = reinterpret_cast<const platform::MSG*>(lParam);
            const UINT id = sinkMessageId.load();
            if (code >= 0 && message && id != 0 && message->message == id) {
                auto* candidate = reinterpret_cast<CMsgEventSinkImpl*>(message->wParam);
                // Starting the run under the hook lock keeps a concurrent Detach (and so the
                // sink's destruction) waiting until the run is over.
                if (state.liveSinks.count(candidate) && candidate->BeginDispatch(thread, &destroyed))
                    sink = candidate;
            }
        }
        if (sink) CMsgEventSinkImpl::RunAndEndDispatch(sink, destroyed);
        return hook ? platform::CallNextHookEx(hook, code, wParam, lParam) : 0;
    }
};

}  // namespace detail

CMsgEventSinkImpl::CMsgEventSinkImpl() = default;

CMsgEventSinkImpl::~CMsgEventSinkImpl() {
    try {
        // Detach waits for a run on another thread; what is left is a run of this thread.
        Detach();
        std::unique_lock<std::recursive_mutex> lock(queueLock_);
        // Destroyed by one of its own handlers: the run in progress stops, and whoever waits
        // for that run is let go and leaves before the lock and the condition go.
        if (dispatching_ && runDestroyed_) *runDestroyed_ = true;
        runDestroyed_ = nullptr;
        dispatching_ = false;
        dispatchingThread_ = 0;
        dispatchFinished_.notify_all();
        dispatchFinished_.wait(lock, [&] { return waiters_ == 0; });
    } catch (...) {
        // Only a lock that cannot be taken fails here; the queue is discarded all the same.
    }
}

UINT CMsgEventSinkImpl::GetSinkMessageId() { return sinkMessageId.load(); }

std::size_t CMsgEventSinkImpl::GetQueuedCount() const {
    std::lock_guard<std::recursive_mutex> lock(queueLock_);
    return queue_.size();
}

void CMsgEventSinkImpl::Enqueue(BoundCall call) {
    std::lock_guard<std::recursive_mutex> lock(queueLock_);
    queue_.push_back(std::move(call));
}

void CMsgEventSinkImpl::Notify() {
    const DWORD owner = owner_.load();
    if (owner != 0 && owner == platform::GetCurrentThreadId()) {
        DispatchQueued();
        return;
    }
    std::lock_guard<std::recursive_mutex> lock(queueLock_);
    const DWORD target = owner_.load();
    // A failed post leaves the calls queued; the next successful wake-up runs them.
    if (!queue_.empty() && target != 0)
        platform::PostThreadMessageA(target, sinkMessageId.load(), reinterpret_cast<WPARAM>(this), 0);
}

void CMsgEventSinkImpl::Attach() {
    TranslateStdExceptions([&] {
        if (IsAttached())
            Detach();
        else
            WaitForDispatchElsewhere();
        EnsureSinkMessageId();
        const DWORD thread = platform::GetCurrentThreadId();
        HookState& state = hookState();
        std::lock_guard<std::recursive_mutex> lock(state.lock);
        auto entry = state.hooks.find(thread);
        if (entry == state.hooks.end()) {
            HHOOK hook = platform::SetWindowsHookExA(platform::WH_GETMESSAGE, &detail::SinkHook::Procedure,
                                                     nullptr, thread);
            if (hook) state.hooks.emplace(thread, ThreadHook{hook, 1});
        } else {
            ++entry->second.attachCount;
        }
        state.liveSinks.insert(this);
        std::lock_guard<std::recursive_mutex> queueLock(queueLock_);
        owner_.store(thread);
        attached_.store(1);
    });
}

void CMsgEventSinkImpl::Detach() {
    TranslateStdExceptions([&] {
        HookState& state = hookState();
        std::unique_lock<std::recursive_mutex> hookLock(state.lock);
        std::unique_lock<std::recursive_mutex> queueLock(queueLock_);
        if (IsAttached()) {
            // The owner's share of the hook, whichever thread detaches.
            auto entry = state.hooks.find(owner_.load());
            if (entry != state.hooks.end() && --entry->second.attachCount == 0) {
                platform::UnhookWindowsHookEx(entry->second.hook);
                state.hooks.erase(entry);
            }
            state.liveSinks.erase(this);
            owner_.store(0);
            attached_.store(0);
        }
        hookLock.unlock();
        // Also when already detached (by a handler, say): a run still going on another
        // thread ends before this returns. This thread counts as a waiter from before the
        // owner was forgotten, so a handler that deletes the sink waits for it to leave.
        WaitForDispatchElsewhere(queueLock);
    });
}

void CMsgEventSinkImpl::DispatchQueued() {
    bool destroyed = false;
    if (BeginDispatch(platform::GetCurrentThreadId(), &destroyed)) RunAndEndDispatch(this, destroyed);
}

bool CMsgEventSinkImpl::BeginDispatch(DWORD thread, bool* destroyed) {
    std::lock_guard<std::recursive_mutex> lock(queueLock_);
    if (owner_.load() != thread) return false;
    if (dispatching_) {
        // Only the owner runs the queue, so this is the owner inside one of its own
        // handlers: the run in progress takes the new calls after the ones it holds.
        redispatch_ = true;
        return false;
    }
    dispatching_ = true;
    dispatchingThread_ = thread;
    runDestroyed_ = destroyed;
    return true;
}

void CMsgEventSinkImpl::EndDispatch() {
    std::lock_guard<std::recursive_mutex> lock(queueLock_);
    dispatching_ = false;
    dispatchingThread_ = 0;
    redispatch_ = false;
    runDestroyed_ = nullptr;
    dispatchFinished_.notify_all();
}

// Static, and reading `destroyed` (on the caller's stack) after every handler, so that
// nothing of a sink that one of its handlers deleted is reached afterwards. The calls
// taken but not run then go with the local list, releasing what they hold.
void CMsgEventSinkImpl::RunAndEndDispatch(CMsgEventSinkImpl* sink, const bool& destroyed) {
    struct End {
        CMsgEventSinkImpl* sink;
        const bool& destroyed;
        ~End() {
            if (!destroyed) sink->EndDispatch();
        }
    } end{sink, destroyed};
    for (;;) {
        std::list<BoundCall> taken;
        {
            std::lock_guard<std::recursive_mutex> lock(sink->queueLock_);
            sink->redispatch_ = false;
            taken.swap(sink->queue_);
        }
        while (!taken.empty()) {
            BoundCall call = std::move(taken.front());
            taken.pop_front();
            try {
                call();
            } catch (...) {
                if (!destroyed) {
                    std::lock_guard<std::recursive_mutex> lock(sink->queueLock_);
                    sink->queue_.splice(sink->queue_.begin(), taken);
                }
                throw;
            }
            if (destroyed) return;
        }
        std::lock_guard<std::recursive_mutex> lock(sink->queueLock_);
        if (!sink->redispatch_) return;
    }
}

void CMsgEventSinkImpl::WaitForDispatchElsewhere() {
    std::unique_lock<std::recursive_mutex> lock(queueLock_);
    WaitForDispatchElsewhere(lock);
}

void CMsgEventSinkImpl::WaitForDispatchElsewhere(std::unique_lock<std::recursive_mutex>& lock) {
    const DWORD self = platform::GetCurrentThreadId();
    ++waiters_;
    dispatchFinished_.wait(lock, [&] { return !dispatching_ || dispatchingThread_ == self; });
    // The last waiter to leave lets a destructor waiting for it go on.
    if (--waiters_ == 0) dispatchFinished_.notify_all();
}

void CMsgEventSinkImpl::SetStateFlag(std::uint8_t value) {
    TranslateStdExceptions([&] {
        std::lock_guard<std::recursive_mutex> lock(stateLock_);
        state_ = value;
    });
}

std::uint8_t CMsgEventSinkImpl::GetStateFlag() const {
    return TranslateStdExceptions([&] {
        std::lock_guard<std::recursive_mutex> lock(stateLock_);
        return state_;
    });
}

}  // namespace Vtx
