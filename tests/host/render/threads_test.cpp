// The host's multi-frame rendering: several threads each creating their own
// engines (hidden windows and contexts) and rendering at the same time.
#include "common/render_fixture.h"

#include <mutex>
#include <set>
#include <thread>

namespace {

class ThreadsTest : public RenderTest {};

TEST_F(ThreadsTest, SeveralThreadsCreateEnginesAndRenderAtOnce)
{
    setLanguage(qv::Language::Shadertoy);
    setCode("void mainImage(out vec4 c, in vec2 p){ c = vec4(p / iResolution.xy, fract(iTime), 1.0); }");
    qvh::Composition comp;
    comp.width = 1100, comp.height = 300;  /* two tiles across */
    comp.depth = 16;
    qvh::SmartFx fx(comp, runner());
    std::vector<qvh::FrameTime> times;
    for (int f = 0; f < 12; ++f)
        times.push_back(qvh::frameTime(f, comp.fps));
    std::mutex mutex;
    std::set<std::thread::id> threadIds;
    std::vector<int> done;
    fx.renderFrames(times, 4, [&](std::size_t i, qvh::FrameResult &r) {
        threadIds.insert(std::this_thread::get_id());
        ASSERT_EQ(r.err(), PF_Err_NONE) << i;
        ASSERT_TRUE(r.output);
        float rgba[4];
        r.output->read(1099, 0, rgba);
        EXPECT_NEAR(rgba[0], 1099.5 / 1100, 1.0 / 32768) << i;
        EXPECT_NEAR(rgba[1], 299.5 / 300, 1.0 / 32768) << i;
        double frac = static_cast<double>(i) / comp.fps;
        frac -= static_cast<long>(frac);
        EXPECT_NEAR(rgba[2], frac, 2.0 / 32768) << i;
        done.push_back(static_cast<int>(i));
    });
    EXPECT_EQ(done.size(), times.size());
}

TEST_F(ThreadsTest, TwoPassesAtOnceOnFreshThreadsGiveTheSamePixels)
{
    setCode("void main(){ outColor = vec4(uv, slider[0], 1.0); }");
    instance().setFloat(qv::kFirstSliderParam, 0.25);
    qvh::Composition comp;
    comp.width = 64, comp.height = 64;
    std::vector<qvh::FrameResult> results(2);
    auto work = [&](int i) {
        qvh::SmartFx fx(comp, runner());
        results[i] = fx.renderFrame(qvh::frameTime(i, comp.fps));
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    for (auto &r : results) {
        ASSERT_EQ(r.err(), PF_Err_NONE);
        for (A_long y = 0; y < 64; ++y)
            for (A_long x = 0; x < 64; ++x)
                ASSERT_EQ(std::memcmp(r.output->pixelAddress(x, y), results[0].output->pixelAddress(x, y), 4), 0);
    }
}

} // namespace
