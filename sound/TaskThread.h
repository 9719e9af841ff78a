#pragma once
// One thread of our own that runs tasks in the order they were posted: the slow work of
// the sound (decoding, converting, loading the MIDI bank) happens here, never on the UI
// thread. Destroying it drops the tasks not yet begun and waits for the one running.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TaskThread {
  public:
    TaskThread();
    ~TaskThread();
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    void post(std::function<void()> task);

  private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool ending_ = false;
    std::thread thread_;
};
