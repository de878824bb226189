// Wall-clock seconds of one pass's stages, for benchmarks. The pass
// orchestration wraps each stage in a StageTimer; with no sink it costs a test.
#pragma once

#include <chrono>

namespace qv {

struct PassTimings {
    double compile = 0;    // compile and link
    double convert = 0;    // host pixels to texture data (copyToBuffer)
    double upload = 0;     // texture definitions, uniforms
    double draw = 0;       // clear, draw and read-back of every tile
    double writeBack = 0;  // writeTile and the outBufferLayer commit
};

// Adds the seconds of its own lifetime to one field of the sink, if any.
class StageTimer {
public:
    StageTimer(PassTimings *sink, double PassTimings::*field)
        : sink_(sink), field_(field), start_(sink ? Clock::now() : Clock::time_point())
    {
    }
    ~StageTimer()
    {
        if (sink_)
            sink_->*field_ += std::chrono::duration<double>(Clock::now() - start_).count();
    }
    StageTimer(const StageTimer &) = delete;
    StageTimer &operator=(const StageTimer &) = delete;

private:
    using Clock = std::chrono::steady_clock;
    PassTimings *sink_;
    double PassTimings::*field_;
    Clock::time_point start_;
};

} // namespace qv
