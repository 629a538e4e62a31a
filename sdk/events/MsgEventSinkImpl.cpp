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
                if (state.liveSinks.count(candidate) && candidate->BeginDispatch(thread)) sink = candidate;
            }
        }
        if (sink) {
            struct End {
                CMsgEventSinkImpl* sink;
                ~End() { sink->EndDispatch(); }
            } end{sink};
            sink->RunTakenCalls();
        }
        return hook ? platform::CallNextHookEx(hook, code, wParam, lParam) : 0;
    }
};

}  // namespace detail

CMsgEventSinkImpl::CMsgEventSinkImpl() = default;

CMsgEventSinkImpl::~CMsgEventSinkImpl() {
    try {
        Detach();
    } catch (...) {
        // Detach fails only when a lock cannot be taken; the queue is discarded all the same.
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
        {
            HookState& state = hookState();
            std::lock_guard<std::recursive_mutex> lock(state.lock);
            if (!IsAttached()) return;
            // The owner's share of the hook, whichever thread detaches.
            auto entry = state.hooks.find(owner_.load());
            if (entry != state.hooks.end() && --entry->second.attachCount == 0) {
                platform::UnhookWindowsHookEx(entry->second.hook);
                state.hooks.erase(entry);
            }
            state.liveSinks.erase(this);
            std::lock_guard<std::recursive_mutex> queueLock(queueLock_);
            owner_.store(0);
            attached_.store(0);
        }
        WaitForDispatchElsewhere();
    });
}

void CMsgEventSinkImpl::DispatchQueued() {
    if (!BeginDispatch(platform::GetCurrentThreadId())) return;
    struct End {
        CMsgEventSinkImpl* sink;
        ~End() { sink->EndDispatch(); }
    } end{this};
    RunTakenCalls();
}

bool CMsgEventSinkImpl::BeginDispatch(DWORD thread) {
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
    return true;
}

void CMsgEventSinkImpl::EndDispatch() {
    std::lock_guard<std::recursive_mutex> lock(queueLock_);
    dispatching_ = false;
    dispatchingThread_ = 0;
    redispatch_ = false;
    dispatchFinished_.notify_all();
}

void CMsgEventSinkImpl::RunTakenCalls() {
    for (;;) {
        std::list<BoundCall> taken;
        {
            std::lock_guard<std::recursive_mutex> lock(queueLock_);
            redispatch_ = false;
            taken.swap(queue_);
        }
        while (!taken.empty()) {
            BoundCall call = std::move(taken.front());
            taken.pop_front();
            try {
                call();
            } catch (...) {
                std::lock_guard<std::recursive_mutex> lock(queueLock_);
                queue_.splice(queue_.begin(), taken);
                throw;
            }
        }
        std::lock_guard<std::recursive_mutex> lock(queueLock_);
        if (!redispatch_) return;
    }
}

void CMsgEventSinkImpl::WaitForDispatchElsewhere() {
    const DWORD self = platform::GetCurrentThreadId();
    std::unique_lock<std::recursive_mutex> lock(queueLock_);
    dispatchFinished_.wait(lock, [&] { return !dispatching_ || dispatchingThread_ == self; });
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
