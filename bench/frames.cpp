// Whole frames through the plug-in's commands in the simulator: the default
// code at 1080p and 2160p at each depth, split into the engine's stages, and
// a frame range on 2 threads against 1. The plug-in's code is the copy linked
// into this program (its PiPL read from the built library), so the thread's
// driver engine reports the stages of the pass the render runs. Needs a
// display: run it through scripts/with-display.sh.
#include "bench/loaded_effect.h"
#include "engine/engine_probe.h"
#include "engine/thread_engines.h"
#include "base/param_indices.h"
#include "testhost/images/composition.h"
#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/effect/instance.h"
#include "testhost/host/plugin.h"
#include "testhost/effect/smartfx.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
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

// A raymarched scene of a few dozen lines: its compile and code generation
// dwarf drawing 16 x 16 pixels. cached:1 renders the same code every frame
// (frames after the first reuse the engine's program); cached:0 changes a
// comment each frame, so every frame compiles, as before the cache. Run with
// MESA_SHADER_CACHE_DISABLE=true, or Mesa's disk cache hides the compile.
const char kRaymarch[] = R"(
float sdBox(vec3 p, vec3 b){ vec3 q = abs(p) - b; return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0); }
float sdTorus(vec3 p, vec2 t){ vec2 q = vec2(length(p.xz) - t.x, p.y); return length(q) - t.y; }
mat2 rot(float a){ float c = cos(a), s = sin(a); return mat2(c, -s, s, c); }
float scene(vec3 p){
    vec3 q = p; q.xz *= rot(time * 0.3); q.xy *= rot(time * 0.2);
    float d = sdTorus(q, vec2(1.0, 0.3));
    for (int i = 0; i < 4; ++i) {
        vec3 r = p - vec3(sin(float(i) * 1.7 + time), cos(float(i) * 2.3), sin(float(i) * 0.9) * 2.0);
        d = min(d, sdBox(r, vec3(0.3 + 0.05 * float(i))));
        d = min(d, length(r + vec3(0.5, 0.0, 0.0)) - 0.25);
    }
    return min(d, p.y + 1.5 + 0.1 * sin(p.x * 3.0) * cos(p.z * 2.0));
}
vec3 normalAt(vec3 p){ vec2 e = vec2(1e-3, 0.0);
    return normalize(vec3(scene(p + e.xyy) - scene(p - e.xyy), scene(p + e.yxy) - scene(p - e.yxy), scene(p + e.yyx) - scene(p - e.yyx))); }
float shadow(vec3 ro, vec3 rd){ float res = 1.0, t = 0.02;
    for (int i = 0; i < 48; ++i) { float h = scene(ro + rd * t); res = min(res, 8.0 * h / t); t += clamp(h, 0.02, 0.2); if (h < 1e-4 || t > 8.0) break; }
    return clamp(res, 0.0, 1.0); }
float occlusion(vec3 p, vec3 n){ float o = 0.0, s = 1.0;
    for (int i = 0; i < 5; ++i) { float h = 0.01 + 0.12 * float(i); o += (h - scene(p + h * n)) * s; s *= 0.95; }
    return clamp(1.0 - 3.0 * o, 0.0, 1.0); }
void main(){
    vec2 p = uv * 2.0 - 1.0;
    vec3 ro = vec3(0.0, 0.5, 4.0), rd = normalize(vec3(p, -1.5));
    float t = 0.0; bool hit = false;
    for (int i = 0; i < 128; ++i) { float d = scene(ro + rd * t); if (d < 1e-4) { hit = true; break; } t += d; if (t > 20.0) break; }
    vec3 col = vec3(0.6, 0.7, 0.9) - 0.3 * p.y;
    if (hit) {
        vec3 pos = ro + rd * t, n = normalAt(pos), l = normalize(vec3(0.6, 0.8, 0.4));
        float diff = max(dot(n, l), 0.0) * shadow(pos, l), amb = occlusion(pos, n);
        float spec = pow(max(dot(reflect(rd, n), l), 0.0), 32.0);
        col = vec3(0.8, 0.5, 0.3) * (0.2 * amb + diff) + spec;
    }
    outColor = vec4(pow(col, vec3(0.4545)), 1.0);
}
)";

void BM_LongShaderFrame(benchmark::State &state)
{
    Setup setup;
    setup.instance->setArbitraryText(qv::kCodeParam, kRaymarch);
    qvh::Composition comp;
    comp.width = comp.height = 16;
    qvh::SmartFx fx(comp, setup.runner());
    fx.renderFrame(qvh::frameTime(0, comp.fps));  /* the first frame compiles */
    bool cached = state.range(0) != 0;
    int frame = 0;
    for (auto _ : state) {
        if (!cached)
            setup.instance->setArbitraryText(qv::kCodeParam, std::string(kRaymarch) + "// frame " + std::to_string(++frame) + "\n");
        if (fx.renderFrame(qvh::frameTime(1, comp.fps)).err())
            state.SkipWithError("render failed");
    }
    const char *off = std::getenv("MESA_SHADER_CACHE_DISABLE");
    state.counters["mesa_disk_cache_off"] = off && std::string(off) == "true";
}
BENCHMARK(BM_LongShaderFrame)->Arg(0)->Arg(1)->ArgName("cached")->Unit(benchmark::kMillisecond)->UseRealTime();

// Twelve 1080p frames of a Shadertoy shader, on state.range(0) threads.
void BM_FrameRangeOnThreads(benchmark::State &state)
{
    Setup setup;
    setup.instance->setPopup(qv::kLanguageParam, 2);
    setup.instance->setArbitraryText(qv::kCodeParam, "void mainImage(out vec4 c, in vec2 p){ vec2 q = p / iResolution.xy;"
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
