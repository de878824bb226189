// A thread of its own for writing frames, so that encoding a frame's file
// overlaps rendering the next one. Jobs run one at a time in the order they
// came; at most `capacity` wait, which bounds the frames held in memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace qvh {

class FrameWriter {
public:
    explicit FrameWriter(std::size_t capacity);
    ~FrameWriter();  // runs what is queued, then ends the thread
    FrameWriter(const FrameWriter &) = delete;
    FrameWriter &operator=(const FrameWriter &) = delete;

    // Queues `job` (which must not throw), waiting while the queue is full.
    void push(std::function<void()> job);
    // Runs what is queued and ends the thread; calling it again is harmless.
    void finish();

private:
    void run();

    std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable jobReady_, spaceFree_;
    std::deque<std::function<void()>> jobs_;
    bool closing_ = false;
    std::thread thread_;  // last: starts once the rest is ready
};

} // namespace qvh
