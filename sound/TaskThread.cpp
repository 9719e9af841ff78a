#include "TaskThread.h"

TaskThread::TaskThread() : thread_([this] { run(); }) {}

TaskThread::~TaskThread() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        tasks_.clear();
    }
    wake_.notify_one();
    thread_.join();
}

void TaskThread::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void TaskThread::run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return ending_ || !tasks_.empty(); });
            if (ending_)
                return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}
