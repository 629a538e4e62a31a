#pragma once
// Work for the scheduler thread of a live session. Any thread posts a task, and may wait
// for it; the scheduler thread runs the tasks between two rounds in the order they came,
// so that every call on a block is made from that one thread.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vtxhost::live {

// A task posted after the queue closed.
class QueueClosed : public std::runtime_error {
public:
    QueueClosed() : std::runtime_error("the session has ended") {}
};

class CCommandQueue {
public:
    using Task = std::function<void()>;

    // Queues the task; QueueClosed once closed.
    void Post(Task task);
    // Runs the task on the scheduler thread and waits until it ran; a std::exception it throws
    // reaches the caller as a std::runtime_error with the same text (tasks that need their
    // own exception types catch them inside). Called on the scheduler thread itself, it runs
    // at once.
    void Call(const Task& task);

    // Whether tasks wait; cheap enough to ask before every round.
    bool HasPending() const { return pending_.load(std::memory_order_acquire) != 0; }

    // Scheduler side. The thread that runs the tasks.
    void SetSchedulerThread(std::thread::id id);
    bool OnSchedulerThread() const;
    // Runs the queued tasks, those queued meanwhile included.
    void RunPending();
    // Waits until a task is queued or the queue closes; with a deadline, at most until then.
    // True when a task or the close came.
    bool Wait();
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);
    // Refuses tasks from now on; what is queued still runs.
    void Close();
    bool IsClosed() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Task> tasks_;
    std::atomic<std::size_t> pending_{0};
    bool closed_ = false;
    std::atomic<std::thread::id> scheduler_{};
};

} // namespace vtxhost::live
