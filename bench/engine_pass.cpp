// One whole engine pass of the default code (the input passed through) at
// 1080p and 2160p at each depth, split into the stages render() times:
// compile and link, conversion of the input (copyToBuffer), texture upload,
// draw and read-back of every tile, and write-back (writeTile). Needs a
// display: run it through scripts/with-display.sh.
#include "engine/engine_probe.h"
#include "engine/thread_engines.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char kDefaultCode[] = "void main(){\noutColor = getColor(uv);\n}";

struct Frame {
    Frame(int width, int height, int depth)
        : input(static_cast<size_t>(width) * height * (depth / 2)), output(input.size())
    {
        for (size_t i = 0; i < input.size(); ++i)
            input[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
        if (depth == 32) {
            float *f = reinterpret_cast<float *>(input.data());
            for (size_t i = 0; i < input.size() / 4; ++i)
                f[i] = static_cast<float>(i % 1000) / 999.0f;
        }
        setUp(inWorld, input, width, height, depth);
        setUp(outWorld, output, width, height, depth);
        ctx.depth = static_cast<int16_t>(depth);
        ctx.bytesPerPixel = static_cast<int16_t>(depth / 2);
        ctx.params = &params;
        ctx.inputWorld = &inWorld;
        ctx.outputWorld = &outWorld;
        ctx.width = width;
        ctx.height = height;
    }
    static void setUp(PF_EffectWorld &world, std::vector<unsigned char> &bytes, int w, int h, int depth)
    {
        world.data = reinterpret_cast<PF_PixelPtr>(bytes.data());
        world.rowbytes = w * (depth / 2);
        world.width = w;
        world.height = h;
    }
    std::vector<unsigned char> input, output;
    PF_EffectWorld inWorld{}, outWorld{};
    qv::ParamSnapshot params;
    qv::PassFrame ctx;
};

void BM_EnginePass(benchmark::State &state)
{
    Frame frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                static_cast<int>(state.range(2)));
    qv::GLSLCore &engine = qv::driverEngine();
    qv::PassTimings pass, sum;
    qv::EngineProbe(engine).setPassTimings(&pass);
    engine.render(kDefaultCode, &frame.ctx, true);  /* first pass allocates the buffers */
    for (auto _ : state) {
        engine.render(kDefaultCode, &frame.ctx, true);
        sum.compile += pass.compile;
        sum.convert += pass.convert;
        sum.upload += pass.upload;
        sum.draw += pass.draw;
        sum.writeBack += pass.writeBack;
    }
    qv::EngineProbe(engine).setPassTimings(nullptr);
    std::string log;
    while (engine.hasError())
        log += engine.popError();
    if (!log.empty())
        state.SkipWithError(log.c_str());
    double n = static_cast<double>(state.iterations());
    double total = sum.compile + sum.convert + sum.upload + sum.draw + sum.writeBack;
    state.counters["compile_ms"] = sum.compile / n * 1e3;
    state.counters["convert_ms"] = sum.convert / n * 1e3;
    state.counters["upload_ms"] = sum.upload / n * 1e3;
    state.counters["draw_read_ms"] = sum.draw / n * 1e3;
    state.counters["writeback_ms"] = sum.writeBack / n * 1e3;
    state.counters["own_cpu_share"] = total > 0 ? (sum.convert + sum.writeBack) / total : 0;
}

// Passes on several threads, each with its own engine; engineMutex makes
// them take turns.
void BM_EnginePassThreads(benchmark::State &state)
{
    Frame frame(1920, 1080, 8);
    qv::GLSLCore &engine = qv::driverEngine();
    for (auto _ : state)
        engine.render(kDefaultCode, &frame.ctx, true);
    while (engine.hasError())
        engine.popError();
    state.SetItemsProcessed(state.iterations());
}

void frames(benchmark::internal::Benchmark *b)
{
    for (int depth : {8, 16, 32}) {
        b->Args({1920, 1080, depth});
        b->Args({3840, 2160, depth});
    }
}

} // namespace

BENCHMARK(BM_EnginePass)->Apply(frames)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EnginePassThreads)->Threads(1)->Threads(2)->Unit(benchmark::kMillisecond)->UseRealTime();
