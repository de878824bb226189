// A render thread for tests: kept alive between jobs, as the host's render
// threads are, so its thread-local engines live until the Worker is destroyed.
#pragma once

#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <queue>
#include <thread>

class Worker {
public:
    Worker() : thread_([this] { loop(); }) {}
    ~Worker()
    {
        post(nullptr);
        thread_.join();
    }

    // Runs `job` on the worker and waits for it.
    void run(std::function<void()> job)
    {
        std::promise<void> done;
        std::future<void> finished = done.get_future();
        post([&] {
            job();
            done.set_value();
        });
        finished.wait();
    }

    // Runs `job` on the worker without waiting; the future says when it ended.
    std::future<void> start(std::function<void()> job)
    {
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> finished = done->get_future();
        post([job, done] {
            job();
            done->set_value();
        });
        return finished;
    }

private:
    void post(std::function<void()> job)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push(std::move(job));
        ready_.notify_one();
    }
    void loop()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return !jobs_.empty(); });
                job = std::move(jobs_.front());
                jobs_.pop();
            }
            if (!job)
                return;
            job();
        }
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::queue<std::function<void()>> jobs_;
    std::thread thread_;
};

