// A Lua render running two qv.glsl passes at 1080p (the second reading the
// first through the output) against the GLSL language rendering the same
// shader once on the driver's engine. Needs a display.
#include "bench/lua_frame.h"
#include "engine/thread_engines.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
const char kShader[] =
    "void main(){ vec4 c = getColor(OUTPUT_LAYER_INDEX, uv); "
    "outColor = vec4(uv, 0.5 + 0.5 * sin(time + c.r), 1.0); }";

} // namespace

static void BM_LuaTwoGlslPasses(benchmark::State &state)
{
    LuaBenchFrame frame(kWidth, kHeight, int(state.range(0)));
    std::string code = std::string("qv.glsl([[") + kShader + "]]) qv.glsl([[" + kShader + "]], true)";
    for (auto _ : state) {
        auto runtime = qv::LuaRuntime::create();  // a render builds its state every time
        runtime->registerHostFunctions();
        frame.fill(*runtime->context(), kWidth, kHeight, int(state.range(0)));
        runtime->run(code.c_str());
        if (auto message = runtime->takeMessage())
            state.SkipWithError(message->c_str());
        runtime->close();
    }
}
BENCHMARK(BM_LuaTwoGlslPasses)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_GlslLanguageOnePass(benchmark::State &state)
{
    LuaBenchFrame frame(kWidth, kHeight, int(state.range(0)));
    for (auto _ : state) {
        auto runtime = qv::LuaRuntime::create();  // built for every render, GLSL included
        runtime->registerHostFunctions();
        qv::PCData *pc = runtime->context();
        frame.fill(*pc, kWidth, kHeight, int(state.range(0)));
        qv::GLSLCore &engine = qv::driverEngine();
        engine.render(kShader, pc, true);
        while (engine.hasError())
            state.SkipWithError(engine.popError().c_str());
        runtime->close();
    }
}
BENCHMARK(BM_GlslLanguageOnePass)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond)->UseRealTime();
