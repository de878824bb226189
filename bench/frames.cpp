// Whole frames through the plug-in's commands in the simulator: the default
// code at 1080p and 2160p at each depth, split into the engine's stages, and
// a frame range on 2 threads against 1. The plug-in's code is the copy linked
// into this program (its PiPL read from the built library), so the thread's
// driver engine reports the stages of the pass the render runs. Needs a
// display: run it through scripts/with-display.sh.
#include "bench/loaded_effect.h"
#include "engine/engine_probe.h"
#include "engine/glsl_core.h"
#include "host/param_indices.h"
#include "testhost/composition.h"
#include "testhost/declared_params.h"
#include "testhost/effect.h"
#include "testhost/instance.h"
#include "testhost/plugin.h"
#include "testhost/smartfx.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace {

// One effect instance with default values, set up as the host sets it up.
struct Setup {
    LoadedEffect loaded;
    std::unique_ptr<qvh::Instance> instance = qvh::Instance::create(*loaded.params);
    qvh::CommandRunner runner()
    {
        return [this](PF_Cmd cmd, void *extra, PF_InData &in) { return instance->command(cmd, extra, in); };
    }
};

using Clock = std::chrono::steady_clock;

// The default code (the input passed through) as the host renders it: the
// pre-render, the render and the host's buffers. Counters give each stage's
// mean per frame; other_ms is the rest of the frame (the simulator's buffers,
// the pre-render, the output clear and the render's Lua state).
void BM_DefaultCodeFrame(benchmark::State &state)
{
    Setup setup;
    qvh::Composition comp;
    comp.width = static_cast<A_long>(state.range(0));
    comp.height = comp.width * 9 / 16;
    comp.depth = static_cast<int>(state.range(1));
    qvh::SmartFx fx(comp, setup.runner());
    fx.renderFrame(qvh::frameTime(0, comp.fps));  /* the thread's engine and its buffers are made once */
    qv::PassTimings pass, sum;
    double frames = 0;
    qv::EngineProbe(qv::driverEngine()).setPassTimings(&pass);
    for (auto _ : state) {
        Clock::time_point start = Clock::now();
        qvh::FrameResult r = fx.renderFrame(qvh::frameTime(1, comp.fps));
        frames += std::chrono::duration<double>(Clock::now() - start).count();
        if (r.err())
            state.SkipWithError("render failed");
        sum.compile += pass.compile, sum.convert += pass.convert, sum.upload += pass.upload;
        sum.draw += pass.draw, sum.writeBack += pass.writeBack;
    }
    qv::EngineProbe(qv::driverEngine()).setPassTimings(nullptr);
    double n = static_cast<double>(state.iterations());
    double stages = sum.compile + sum.convert + sum.upload + sum.draw + sum.writeBack;
    state.counters["compile_ms"] = sum.compile / n * 1e3;
    state.counters["convert_ms"] = sum.convert / n * 1e3;
    state.counters["upload_ms"] = sum.upload / n * 1e3;
    state.counters["draw_read_ms"] = sum.draw / n * 1e3;
    state.counters["writeback_ms"] = sum.writeBack / n * 1e3;
    state.counters["other_ms"] = (frames - stages) / n * 1e3;
    state.counters["own_cpu_share"] = frames > 0 ? (sum.convert + sum.writeBack) / frames : 0;
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
    setup.instance->setPopup(qv::kLanguageParam, 2);
    setup.instance->setCode("void mainImage(out vec4 c, in vec2 p){ vec2 q = p / iResolution.xy;"
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
