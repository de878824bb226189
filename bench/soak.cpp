// Long-run check that memory stays flat. Two phases on one effect, one thread:
//   frames     small frames rendered on one instance, the language turning
//              from GLSL to the Shadertoy dialect to a Lua script that runs
//              qv.full_glsl and two qv.glsl passes (the second fed back), so
//              the driver engine and both Lua engines all work;
//   instances  effect instances created, duplicated, saved to a project file,
//              loaded from it, their code copied and pasted as text, disposed.
// Twenty times a phase it samples resident memory, the heap in use, the
// simulator's live host and memory handles and the GL objects alive in the
// thread's engine contexts (bench/gl_census.h), prints the table and a
// verdict, and exits non-zero when memory is not flat or a frame or instance
// came out wrong.
//
// Flat means, from the first sample of a phase after its warm-up (300
// frames, 20 instances: the driver's first compiles settle) to its last:
// resident memory grew by less than kRssBoundKiB, the heap in use by less
// than kHeapBoundKiB (26 bytes a frame over the default run), and the
// handle and GL object counts did not grow; after global setdown no handle is
// live. The driver's JIT code and freed but unreturned pages move RSS a
// little; the heap column tells those from a leak. It drifts too, by some 5
// bytes a frame: malloc counts blocks freed into its per-thread caches as in
// use. With GLIBC_TUNABLES=glibc.malloc.tcache_count=0 the drift is 2 KiB
// over 3 000 frames, and heaptrack, counting the bytes asked for, shows the
// same heap at the same point of a frame all through the run.
//
// usage: bench_soak [--frames N] [--instances N]   (defaults 10000 and 1000,
// also QV_SOAK_FRAMES and QV_SOAK_INSTANCES; a short run still needs some
// samples past the warm-up). Needs a display: run it through
// scripts/with-display.sh.
#include "bench/gl_census.h"
#include "bench/loaded_effect.h"
#include "engine/thread_engines.h"
#include "base/param_indices.h"
#include "testhost/images/composition.h"
#include "testhost/effect/declared_params.h"
#include "testhost/effect/effect.h"
#include "testhost/host/handles.h"
#include "testhost/host/host.h"
#include "testhost/effect/instance.h"
#include "testhost/host/plugin.h"
#include "testhost/project/project_file.h"
#include "testhost/effect/smartfx.h"

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr long kRssBoundKiB = 1024;
constexpr long kHeapBoundKiB = 256;
constexpr int kSamplesPerPhase = 20;
constexpr long kWarmUpFrames = 300;
constexpr long kWarmUpInstances = 20;

// ---- samples ----

struct Sample {
    std::string phase;
    long step = 0;
    long rssKiB = 0;
    long heapKiB = 0;   // bytes the allocator has handed out and not had back
    long hostHandles = 0;
    long memoryHandles = 0;
    GlCensus gl;
};

long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// In use by malloc, mapped blocks included: unlike RSS, free but unreturned
// pages and fragmentation do not count, so a leak shows here first.
long heapInUseKiB()
{
    struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// The engines the plug-in's commands use on this thread (made here if a
// render has not made them yet).
GlCensus engineCensus()
{
    return takeGlCensus(qv::driverEngine()) + takeGlCensus(qv::luaGlslEngine()) +
           takeGlCensus(qv::luaUnwrappedGlslEngine());
}

Sample takeSample(const std::string &phase, long step)
{
    Sample s;
    s.phase = phase;
    s.step = step;
    s.gl = engineCensus();  /* first: the memory figures then include an engine the census made */
    s.rssKiB = residentKiB();
    s.heapKiB = heapInUseKiB();
    s.hostHandles = static_cast<long>(qvh::hostHandles().live());
    s.memoryHandles = static_cast<long>(qvh::memoryHandles().live());
    return s;
}

void printHeader()
{
    std::printf("%-10s %7s %10s %9s %10s %9s %7s %7s %8s %9s\n", "phase", "step", "RSS KiB", "dRSS KiB", "heap KiB",
                "dheap KiB", "host h", "mem h", "GL live", "GL name");
}

void printSample(const Sample &s, const Sample &first)
{
    std::printf("%-10s %7ld %10ld %+9ld %10ld %+9ld %7ld %7ld %8ld %9ld\n", s.phase.c_str(), s.step, s.rssKiB,
                s.rssKiB - first.rssKiB, s.heapKiB, s.heapKiB - first.heapKiB, s.hostHandles, s.memoryHandles,
                s.gl.live, s.gl.nextName);
    std::fflush(stdout);
}

// ---- the effect ----

// ---- phase 1: frames ----

struct Variant {
    const char *name;
    A_long language;     // the Language popup, from 1
    const char *code;
    float expect[3];     // red, green, blue of the frame's centre
};

const Variant kVariants[] = {
    {"glsl", 1, "void main(){ outColor = vec4(1.0, 0.0, 0.0, 1.0); }", {1.0f, 0.0f, 0.0f}},
    {"shadertoy", 2,
     "void mainImage(out vec4 c, in vec2 p){ c = vec4(0.0, 1.0, 0.0, 1.0); }",
     {0.0f, 1.0f, 0.0f}},
    {"lua", 3,
     "qv.full_glsl([[#version 330 core\nout vec4 outColor;\nvoid main(){ outColor = vec4(1.0); }]])\n"
     "qv.glsl([[void main(){ outColor = vec4(0.0, 0.4, 1.0, 1.0); }]])\n"
     "qv.setColor(0, 0, 1, 1, 1, 1)\n"
     "qv.glsl([[void main(){ vec4 c = getColor(OUTPUT_LAYER_INDEX, uv);"
     " outColor = vec4(c.r, 0.5 * c.g, c.b, 1.0); }]], true)\n",
     {0.0f, 0.2f, 1.0f}},
};

// Empty when frame `index` rendered what its variant draws, else why not.
std::string checkFrame(const qvh::FrameResult &r, const Variant &v)
{
    if (r.err())
        return std::string(v.name) + ": error " + std::to_string(r.err()) + " " + r.message;
    if (!r.output)
        return std::string(v.name) + ": no output";
    float rgba[4];
    r.output->read(r.output->width() / 2, r.output->height() / 2, rgba);
    for (int c = 0; c < 3; ++c)
        if (std::fabs(rgba[c] - v.expect[c]) > 0.02f)
            return std::string(v.name) + ": unexpected colour at the centre";
    return "";
}

std::vector<Sample> soakFrames(LoadedEffect &fx, long frames, long interval, std::string &failure)
{
    std::vector<Sample> samples;
    std::unique_ptr<qvh::Instance> instance = qvh::Instance::create(*fx.params);
    qvh::Composition comp;
    comp.width = 128;
    comp.height = 72;
    qvh::SmartFx smart(comp, [&](PF_Cmd cmd, void *extra, PF_InData &in) {
        return instance->command(cmd, extra, in);
    });
    for (long f = 1; f <= frames; ++f) {
        const Variant &v = kVariants[f % 3];
        instance->setPopup(qv::kLanguageParam, v.language);
        instance->setArbitraryText(qv::kCodeParam, v.code);
        std::string why = checkFrame(smart.renderFrame(qvh::frameTime(f, comp.fps)), v);
        if (!why.empty() && failure.empty())
            failure = "frame " + std::to_string(f) + " " + why;
        if (f % interval == 0)
            samples.push_back(takeSample("frames", f));
    }
    return samples;
}

// ---- phase 2: instances ----

// One instance's life: created with its own code, duplicated, the duplicate
// saved and loaded back, code pasted into the loaded one, all disposed.
std::string cycleInstance(LoadedEffect &fx, long n, const std::string &projectPath)
{
    std::unique_ptr<qvh::Instance> made = qvh::Instance::create(*fx.params);
    std::string code = "// instance " + std::to_string(n) + "\n" + std::string(static_cast<size_t>(n % 97), 'x');
    made->setArbitraryText(qv::kCodeParam, code);
    made->setFloat(qv::kFirstSliderParam, static_cast<double>(n % 100) / 100.0);
    std::unique_ptr<qvh::Instance> copy = made->duplicate();
    qvh::SaveProjectFile(projectPath, copy->toProject());
    std::unique_ptr<qvh::Instance> loaded = qvh::Instance::fromProject(*fx.params, qvh::LoadProjectFile(projectPath));
    if (loaded->arbitraryText(qv::kCodeParam) != code)
        return "instance " + std::to_string(n) + ": the loaded code differs";
    loaded->pasteArbitraryText(qv::kCodeParam, made->copyArbitraryAsText(qv::kCodeParam));
    if (loaded->arbitraryText(qv::kCodeParam) != code)
        return "instance " + std::to_string(n) + ": the pasted code differs";
    return "";
}

std::vector<Sample> soakInstances(LoadedEffect &fx, long instances, long interval, std::string &failure)
{
    std::vector<Sample> samples;
    std::string path = (std::filesystem::temp_directory_path() /
                        ("qv-soak-" + std::to_string(getpid()) + ".json")).string();
    for (long n = 1; n <= instances; ++n) {
        std::string why = cycleInstance(fx, n, path);
        if (!why.empty() && failure.empty())
            failure = why;
        if (n % interval == 0)
            samples.push_back(takeSample("instances", n));
    }
    std::filesystem::remove(path);
    return samples;
}

// ---- verdict ----

// The first sample after the warm-up: what later ones are compared with.
const Sample &baseline(const std::vector<Sample> &samples, long warmUp)
{
    for (const Sample &s : samples)
        if (s.step >= warmUp)
            return s;
    return samples.back();
}

// Empty when the phase's samples are flat, else what grew.
std::string flatness(const std::vector<Sample> &samples, long warmUp)
{
    if (samples.empty())
        return "";
    const Sample &first = baseline(samples, warmUp), &last = samples.back();
    std::string grew;
    if (last.rssKiB - first.rssKiB >= kRssBoundKiB)
        grew += " RSS +" + std::to_string(last.rssKiB - first.rssKiB) + " KiB;";
    if (last.heapKiB - first.heapKiB >= kHeapBoundKiB)
        grew += " heap +" + std::to_string(last.heapKiB - first.heapKiB) + " KiB;";
    if (last.hostHandles > first.hostHandles || last.memoryHandles > first.memoryHandles)
        grew += " handles;";
    if (last.gl.live > first.gl.live)
        grew += " GL objects;";
    return grew;
}

long argument(int argc, char **argv, const char *flag, const char *env, long fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], flag) == 0)
            return std::atol(argv[i + 1]);
    if (const char *value = std::getenv(env))
        return std::atol(value);
    return fallback;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void printPhase(const std::vector<Sample> &samples, long warmUp, long steps, double seconds, const char *unit)
{
    for (const Sample &s : samples)
        printSample(s, baseline(samples, warmUp));
    if (!samples.empty())
        std::printf("%-10s %ld %s in %.1f s (%.2f ms each)\n", samples.front().phase.c_str(), steps, unit, seconds,
                    steps ? seconds * 1e3 / static_cast<double>(steps) : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    long frames = argument(argc, argv, "--frames", "QV_SOAK_FRAMES", 10000);
    long instances = argument(argc, argv, "--instances", "QV_SOAK_INSTANCES", 1000);
    std::string failure, verdict;
    long baselineHost = static_cast<long>(qvh::hostHandles().live());
    long baselineMemory = static_cast<long>(qvh::memoryHandles().live());
    printHeader();
    {
        LoadedEffect fx;
        Clock::time_point start = Clock::now();
        std::vector<Sample> s = soakFrames(fx, frames, std::max(1L, frames / kSamplesPerPhase), failure);
        printPhase(s, kWarmUpFrames, frames, secondsSince(start), "frames");
        if (std::string grew = flatness(s, kWarmUpFrames); !grew.empty())
            verdict += " frames:" + grew;
        start = Clock::now();
        s = soakInstances(fx, instances, std::max(1L, instances / kSamplesPerPhase), failure);
        printPhase(s, kWarmUpInstances, instances, secondsSince(start), "instances");
        if (std::string grew = flatness(s, kWarmUpInstances); !grew.empty())
            verdict += " instances:" + grew;
    }
    long hostLeft = static_cast<long>(qvh::hostHandles().live()) - baselineHost;
    long memoryLeft = static_cast<long>(qvh::memoryHandles().live()) - baselineMemory;
    std::printf("after global setdown: %ld host handles, %ld memory handles, %d suites outstanding\n", hostLeft,
                memoryLeft, qvh::host().suites.outstanding());
    if (hostLeft || memoryLeft || qvh::host().suites.outstanding())
        verdict += " handles left after setdown;";
    if (!failure.empty())
        std::printf("FAILED: %s\n", failure.c_str());
    std::printf("verdict: %s (growth from the first sample of a phase after warm-up to its last below %ld KiB "
                "of RSS and %ld KiB of heap in use; handles and GL objects must not grow)\n",
                verdict.empty() ? "flat" : ("NOT flat:" + verdict).c_str(), kRssBoundKiB, kHeapBoundKiB);
    return verdict.empty() && failure.empty() ? 0 : 1;
}
