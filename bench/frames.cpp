// Whole frames through the built plug-in in the simulator: the default code at
// 1080p and 2160p at each depth, and a frame range on 2 threads against 1.
#include "host/global_data.h"
#include "testhost/composition.h"
#include "testhost/effect.h"
#include "testhost/host.h"
#include "testhost/param_table.h"
#include "testhost/plugin.h"
#include "testhost/smartfx.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

qvh::Plugin &plugin()
{
    static qvh::Plugin *p = new qvh::Plugin(QV_PLUGIN_PATH);
    return *p;
}

// One effect with global setup done and default parameters, for a benchmark.
struct Setup {
    qvh::Effect effect{plugin()};
    qvh::ParamTable table;
    Setup() { effect.globalSetup(); }
    ~Setup() { effect.globalSetdown(); }
    qvh::CommandRunner runner()
    {
        return [this](PF_Cmd cmd, void *extra, PF_InData &in) {
            table.wire(in);
            return effect.command(cmd, extra, nullptr, nullptr, &in);
        };
    }
};

void BM_DefaultCodeFrame(benchmark::State &state)
{
    Setup setup;
    qvh::Composition comp;
    comp.width = static_cast<A_long>(state.range(0));
    comp.height = comp.width * 9 / 16;
    comp.depth = static_cast<int>(state.range(1));
    qvh::SmartFx fx(comp, setup.runner());
    fx.renderFrame(qvh::frameTime(0, comp.fps));  /* the thread's engine is made once */
    for (auto _ : state) {
        qvh::FrameResult r = fx.renderFrame(qvh::frameTime(1, comp.fps));
        if (r.err())
            state.SkipWithError("render failed");
    }
    state.SetItemsProcessed(state.iterations() * comp.width * comp.height);
}
BENCHMARK(BM_DefaultCodeFrame)
    ->ArgsProduct({{1920, 3840}, {8, 16, 32}})
    ->ArgNames({"width", "depth"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Twelve 1080p frames of a Shadertoy shader, on state.range(0) threads.
void BM_FrameRangeOnThreads(benchmark::State &state)
{
    Setup setup;
    setup.table.setLanguage(1);
    setup.table.setCode("void mainImage(out vec4 c, in vec2 p){ vec2 q = p / iResolution.xy;"
                        " c = vec4(0.5 + 0.5 * sin(q.x * 40.0 + iTime), q.y, fract(iTime), 1.0); }");
    qvh::Composition comp;
    qvh::SmartFx fx(comp, setup.runner());
    std::vector<qvh::FrameTime> times;
    for (int f = 0; f < 12; ++f)
        times.push_back(qvh::frameTime(f, comp.fps));
    for (auto _ : state)
        fx.renderFrames(times, static_cast<int>(state.range(0)), [&](std::size_t, qvh::FrameResult &r) {
            if (r.err())
                state.SkipWithError("render failed");
        });
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(times.size()));
}
BENCHMARK(BM_FrameRangeOnThreads)->Arg(1)->Arg(2)->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
