#include "testhost/qvhost/frame_writer.h"

namespace qvh {

FrameWriter::FrameWriter(std::size_t capacity) : capacity_(capacity), thread_([this] { run(); }) {}

FrameWriter::~FrameWriter()
{
    finish();
}

void FrameWriter::push(std::function<void()> job)
{
    std::unique_lock<std::mutex> lock(mutex_);
    spaceFree_.wait(lock, [this] { return jobs_.size() < capacity_; });
    jobs_.push_back(std::move(job));
    jobReady_.notify_one();
}

void FrameWriter::finish()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        jobReady_.notify_all();
    }
    if (thread_.joinable())
        thread_.join();
}

void FrameWriter::run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            jobReady_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            spaceFree_.notify_one();
        }
        job();
    }
}

} // namespace qvh
