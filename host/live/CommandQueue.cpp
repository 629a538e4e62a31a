#include "host/live/CommandQueue.h"

#include <exception>
#include <string>

namespace vtxhost::live {

void CCommandQueue::Post(Task task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) throw QueueClosed();
        tasks_.push_back(std::move(task));
        pending_.store(tasks_.size(), std::memory_order_release);
    }
    wake_.notify_all();
}

void CCommandQueue::Call(const Task& task) {
    if (OnSchedulerThread()) {
        task();
        return;
    }
    // The caller waits on this queue's own lock: the task's effects are seen once it returns.
    // An exception is carried over as a copy of its text, not as the object itself, which
    // would be released on the scheduler thread while the caller reads it.
    bool finished = false;
    bool failed = false;
    std::string failure;
    Post([&] {
        try {
            task();
        } catch (const std::exception& e) {
            failed = true;
            failure = e.what();
        } catch (...) {
            failed = true;
            failure = "unknown error";
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished = true;
        }
        done_.notify_all();
    });
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return finished; });
    if (failed) throw std::runtime_error(failure);
}

void CCommandQueue::SetSchedulerThread(std::thread::id id) { scheduler_.store(id); }

bool CCommandQueue::OnSchedulerThread() const { return scheduler_.load() == std::this_thread::get_id(); }

void CCommandQueue::RunPending() {
    for (;;) {
        Task task;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
            pending_.store(tasks_.size(), std::memory_order_release);
        }
        task();
    }
}

bool CCommandQueue::Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return !tasks_.empty() || closed_; });
    return true;
}

bool CCommandQueue::WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    return wake_.wait_until(lock, deadline, [this] { return !tasks_.empty() || closed_; });
}

void CCommandQueue::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    wake_.notify_all();
}

bool CCommandQueue::IsClosed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return closed_;
}

} // namespace vtxhost::live
