// Frames of Shadertoy code through the driver's engine at 640 x 360, 8 bits:
// code the ordinary wrapping compiles, code that needs the full wrapping
// (with the wrapping memory, and with a memory forgotten every frame, which
// is what each frame would cost without it), and code neither compiles.
// Needs a display: run it through scripts/with-display.sh.
#include "engine/thread_engines.h"
#include "host/shadertoy_wrapping.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const char *const kCodes[] = {
    "void mainImage(out vec4 c, in vec2 p) { c = vec4(p / iResolution.xy, sin(iTime), 1.0); }",
    "void mainImage(out vec4 c, in vec2 p) { c = vec4(p / iResolution.xy, float(iFrame % 2), iResolution.z); }",
    "void mainImage(out vec4 c, in vec2 p) { c = vec4(p / iResolution.z) + missing; }",
};

struct Frame {
    Frame() : input(640 * 360 * 4), output(input.size())
    {
        setUp(inWorld, input);
        setUp(outWorld, output);
        ctx.depth = 8;
        ctx.bytesPerPixel = 4;
        ctx.params = &params;
        ctx.inputWorld = &inWorld;
        ctx.outputWorld = &outWorld;
        ctx.width = 640;
        ctx.height = 360;
        ctx.fps = 24;
    }
    static void setUp(PF_EffectWorld &world, std::vector<unsigned char> &bytes)
    {
        world.data = reinterpret_cast<PF_PixelPtr>(bytes.data());
        world.rowbytes = 640 * 4;
        world.width = 640;
        world.height = 360;
    }
    std::vector<unsigned char> input, output;
    PF_EffectWorld inWorld{}, outWorld{};
    qv::ParamSnapshot params;
    qv::PassFrame ctx;
};

// Arguments: the code (0 ordinary, 1 full, 2 broken) and whether the memory lasts.
void BM_ShadertoyFrame(benchmark::State &state)
{
    Frame frame;
    qv::GLSLCore &engine = qv::driverEngine();
    size_t passes = 0;
    qv::ShadertoyPass pass = [&](const std::string &source) {
        ++passes;
        return qv::RenderAndTakeErrors(engine, source, &frame.ctx, true);
    };
    const std::string code = kCodes[state.range(0)];
    qv::WrappingMemory memory;
    qv::renderShadertoy(code, memory, pass);  /* first frame: buffers, and the failed compile */
    passes = 0;
    for (auto _ : state) {
        if (!state.range(1))
            memory.forget(code);
        benchmark::DoNotOptimize(qv::renderShadertoy(code, memory, pass));
    }
    state.counters["compiles_per_frame"] = static_cast<double>(passes) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_ShadertoyFrame)
    ->ArgNames({"code", "memory"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({2, 1})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace
