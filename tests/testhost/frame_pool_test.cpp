// The simulator's multi-frame pool, which SmartFx::renderFrames and qvhost's
// batch both run on: every frame once, no new frame after a stop or a throw.
#include "testhost/effect/frame_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <vector>

TEST(FramePool, RunsEveryFrameFromFirstOnceOnEachThreadCount)
{
    for (int threads : {1, 3, 16}) {
        std::mutex mutex;
        std::vector<int> runs(10, 0);
        qvh::forEachFrame(2, runs.size(), threads, [&](std::size_t i) {
            std::lock_guard<std::mutex> lock(mutex);
            ++runs[i];
        });
        EXPECT_EQ(runs, std::vector<int>({0, 0, 1, 1, 1, 1, 1, 1, 1, 1})) << threads;
    }
}

TEST(FramePool, TakesNoFrameOnceStopAnswersTrue)
{
    std::atomic<int> done(0);
    qvh::forEachFrame(0, 100, 1, [&](std::size_t) { ++done; }, [&] { return done == 4; });
    EXPECT_EQ(done, 4);
}

TEST(FramePool, RethrowsTheFirstExceptionAndTakesNoFrameAfterIt)
{
    std::atomic<int> started(0);
    auto run = [&] {
        qvh::forEachFrame(0, 100, 1, [&](std::size_t i) {
            ++started;
            if (i == 2)
                throw std::runtime_error("frame 2");
        });
    };
    EXPECT_THROW(run(), std::runtime_error);
    EXPECT_EQ(started, 3);
}

TEST(FramePool, AThrowOnAnyThreadReachesTheCaller)
{
    EXPECT_THROW(qvh::forEachFrame(0, 8, 4, [](std::size_t i) {
                     if (i == 5)
                         throw std::runtime_error("frame 5");
                 }),
                 std::runtime_error);
}
