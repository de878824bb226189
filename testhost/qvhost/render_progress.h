// The progress line of a qvhost render with several frames, on a terminal:
// frames done, elapsed time and an estimate of the time left.
#pragma once

#include <chrono>
#include <cstddef>

namespace qvh {

class RenderProgress {
public:
    explicit RenderProgress(std::size_t total);
    ~RenderProgress();  // ends the line
    void frameDone();
    // Ends the line so that a message can follow on its own.
    void interrupt();

private:
    using Clock = std::chrono::steady_clock;
    std::size_t total_, done_ = 0;
    bool shown_, open_ = false;
    Clock::time_point start_ = Clock::now();
};

} // namespace qvh
