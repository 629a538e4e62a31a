#include "platform/ThreadMessages.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<MSG> messages;
    bool alive = true;
};

struct HookEntry {
    HHOOK handle;
    HOOKPROC procedure;
};

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
        });
    }
};

// Process-wide tables. Made once and never destroyed, so that threads ending during
// process exit still find them.
struct Tables {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
    std::unordered_map<DWORD, std::vector<HookEntry>> hooks;  // newest first
    std::unordered_map<HHOOK, DWORD> hookThreads;
    std::uintptr_t nextHook = 0x10;
    std::map<std::string, UINT, CaseInsensitiveLess> messageNames;
    UINT nextMessage = kFirstRegisteredMessage;
};

Tables& tables() {
    static Tables* instance = new Tables;
    return *instance;
}

DWORD Now() {
    static const auto start = std::chrono::steady_clock::now();
    return static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count());
}

// Windows thread ids are multiples of four; ours are too, and never reused.
std::atomic<DWORD> nextThreadId{4};

// The calling thread's entry in the tables, made on first use and taken out when the thread
// ends, with its messages and hooks.
class ThreadSlot {
public:
    ThreadSlot()
        : id_(nextThreadId.fetch_add(4, std::memory_order_relaxed)), queue_(std::make_shared<ThreadQueue>()) {
        Tables& t = tables();
        std::lock_guard<std::mutex> lock(t.mutex);
        t.queues.emplace(id_, queue_);
    }
    ~ThreadSlot() {
        Tables& t = tables();
        {
            std::lock_guard<std::mutex> lock(t.mutex);
            t.queues.erase(id_);
            auto hooks = t.hooks.find(id_);
            if (hooks != t.hooks.end()) {
                for (const HookEntry& entry : hooks->second) t.hookThreads.erase(entry.handle);
                t.hooks.erase(hooks);
            }
        }
        std::lock_guard<std::mutex> lock(queue_->mutex);
        queue_->alive = false;
        queue_->messages.clear();
    }
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;

    DWORD id() const { return id_; }
    ThreadQueue& queue() const { return *queue_; }

private:
    DWORD id_;
    std::shared_ptr<ThreadQueue> queue_;
};

ThreadSlot& CurrentSlot() {
    thread_local ThreadSlot slot;
    return slot;
}

thread_local DWORD lastError = ERROR_SUCCESS;

// The hook chain being run on this thread: a copy taken when the retrieval began, and the
// position of the next hook to call. Retrievals inside a hook run chains of their own.
struct HookRun {
    std::vector<HookEntry> chain;
    std::size_t next = 0;
};
thread_local HookRun* currentRun = nullptr;

bool StillInstalled(HHOOK handle) {
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.hookThreads.count(handle) != 0;
}

LRESULT CallFromPosition(HookRun& run, int code, WPARAM wParam, LPARAM lParam) {
    while (run.next < run.chain.size()) {
        const HookEntry entry = run.chain[run.next++];
        if (StillInstalled(entry.handle)) return entry.procedure(code, wParam, lParam);
    }
    return 0;
}

void RunHooks(DWORD threadId, MSG& message, UINT removeFlag) {
    HookRun run;
    {
        Tables& t = tables();
        std::lock_guard<std::mutex> lock(t.mutex);
        auto hooks = t.hooks.find(threadId);
        if (hooks == t.hooks.end() || hooks->second.empty()) return;
        run.chain = hooks->second;
    }
    struct Restore {
        HookRun* outer;
        ~Restore() { currentRun = outer; }
    } restore{currentRun};
    currentRun = &run;
    CallFromPosition(run, HC_ACTION, removeFlag, reinterpret_cast<LPARAM>(&message));
}

bool Matches(const MSG& message, UINT filterMin, UINT filterMax) {
    if (message.message == WM_QUIT) return true;
    if (filterMin == 0 && filterMax == 0) return true;
    return message.message >= filterMin && message.message <= filterMax;
}

// Takes (or, with PM_NOREMOVE, copies) the oldest matching message of the calling thread,
// waiting for one when asked to, then lets the thread's hooks see it.
bool Retrieve(MSG* out, UINT filterMin, UINT filterMax, UINT removeFlags, bool wait) {
    ThreadSlot& slot = CurrentSlot();
    ThreadQueue& queue = slot.queue();
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    MSG message{};
    {
        std::unique_lock<std::mutex> lock(queue.mutex);
        for (;;) {
            auto found = std::find_if(queue.messages.begin(), queue.messages.end(),
                                      [&](const MSG& m) { return Matches(m, filterMin, filterMax); });
            if (found != queue.messages.end()) {
                message = *found;
                if (remove) queue.messages.erase(found);
                break;
            }
            if (!wait) return false;
            queue.arrived.wait(lock);
        }
    }
    RunHooks(slot.id(), message, remove ? PM_REMOVE : PM_NOREMOVE);
    *out = message;
    return true;
}

}  // namespace

DWORD GetCurrentThreadId() { return CurrentSlot().id(); }

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

UINT RegisterWindowMessageA(const char* name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto found = t.messageNames.find(name);
    if (found != t.messageNames.end()) return found->second;
    if (t.nextMessage > kLastRegisteredMessage || t.nextMessage < kFirstRegisteredMessage) {
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return 0;
    }
    const UINT id = t.nextMessage++;
    t.messageNames.emplace(name, id);
    return id;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<ThreadQueue> queue;
    {
        Tables& t = tables();
        std::lock_guard<std::mutex> lock(t.mutex);
        auto found = t.queues.find(threadId);
        if (found != t.queues.end()) queue = found->second;
    }
    if (queue) {
        std::lock_guard<std::mutex> lock(queue->mutex);
        if (queue->alive) {
            queue->messages.push_back(MSG{nullptr, message, wParam, lParam, Now()});
            queue->arrived.notify_all();
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
}

BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    Retrieve(message, filterMin, filterMax, PM_REMOVE, true);
    return message->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Retrieve(message, filterMin, filterMax, removeFlags, false) ? TRUE : FALSE;
}

BOOL WaitForThreadMessage(DWORD milliseconds) {
    ThreadQueue& queue = CurrentSlot().queue();
    std::unique_lock<std::mutex> lock(queue.mutex);
    auto ready = [&] { return !queue.messages.empty(); };
    if (milliseconds == INFINITE) {
        queue.arrived.wait(lock, ready);
        return TRUE;
    }
    return queue.arrived.wait_for(lock, std::chrono::milliseconds(milliseconds), ready) ? TRUE : FALSE;
}

int RunMessageLoopTurn() {
    ThreadQueue& queue = CurrentSlot().queue();
    std::size_t waiting;
    {
        std::lock_guard<std::mutex> lock(queue.mutex);
        waiting = queue.messages.size();
    }
    int retrieved = 0;
    MSG message;
    while (static_cast<std::size_t>(retrieved) < waiting && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ++retrieved;
    return retrieved;
}

HHOOK SetWindowsHookExA(int hookType, HOOKPROC procedure, HINSTANCE module, DWORD threadId) {
    if (hookType != WH_GETMESSAGE) {
        SetLastError(ERROR_INVALID_HOOK_FILTER);
        return nullptr;
    }
    if (!procedure) {
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return nullptr;
    }
    if (threadId == 0) {
        SetLastError(ERROR_HOOK_NEEDS_HMOD);
        return nullptr;
    }
    CurrentSlot();  // the caller is a known thread from now on, whichever thread it hooks
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (t.queues.count(threadId) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HHOOK handle = reinterpret_cast<HHOOK>(t.nextHook++);
    std::vector<HookEntry>& chain = t.hooks[threadId];
    chain.insert(chain.begin(), HookEntry{handle, procedure});
    t.hookThreads.emplace(handle, threadId);
    return handle;
}

LRESULT CallNextHookEx(HHOOK, int code, WPARAM wParam, LPARAM lParam) {
    if (!currentRun) return 0;
    return CallFromPosition(*currentRun, code, wParam, lParam);
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto owner = t.hookThreads.find(hook);
    if (owner == t.hookThreads.end()) {
        SetLastError(ERROR_INVALID_HOOK_HANDLE);
        return FALSE;
    }
    auto chain = t.hooks.find(owner->second);
    if (chain != t.hooks.end()) {
        auto& entries = chain->second;
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const HookEntry& e) { return e.handle == hook; }),
                      entries.end());
        if (entries.empty()) t.hooks.erase(chain);
    }
    t.hookThreads.erase(owner);
    return TRUE;
}

int GetThreadHookCount(DWORD threadId) {
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto chain = t.hooks.find(threadId);
    return chain == t.hooks.end() ? 0 : static_cast<int>(chain->second.size());
}

}  // namespace platform
