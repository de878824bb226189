// Many frames on several threads at once, mixing the three languages, while
// the user-interface thread edits another instance of the same effect: every
// frame must match what one thread alone renders for it, and nothing may
// deadlock (a Lua pass takes the Lua lock, then the engine's).
//
// QV_STRESS_FRAMES raises the frames per thread (default 12; 200 for a long
// run by hand), QV_STRESS_THREADS the render threads (default 4).
#include "common/host_fixture.h"
#include "base/language.h"
#include "base/param_indices.h"
#include "testhost/images/composition.h"
#include "testhost/effect/instance.h"
#include "testhost/effect/smartfx.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

int envCount(const char *name, int fallback)
{
    const char *text = std::getenv(name);
    int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : fallback;
}

struct Program {
    qv::Language language;
    const char *code;
};

const Program kPrograms[] = {
    {qv::Language::Glsl, "void main(){ outColor = vec4(uv, fract(time), 1.0); }"},
    {qv::Language::Shadertoy, "void mainImage(out vec4 c, in vec2 p){ c = vec4(p.yx / iResolution.yx, fract(iTime * 0.5), 1.0); }"},
    {qv::Language::Lua, "qv.glsl(string.format('void main(){ outColor = vec4(uv.y, %f, uv.x, 1.0); }', time % 1.0))\n"
        "qv.glsl('void main(){ vec4 c = getColor(OUTPUT_LAYER_INDEX, uv); outColor = vec4(c.b, c.g, c.r, 1.0); }', true)\n"
        "return 'frame drawn'"},
};
constexpr int kProgramCount = sizeof kPrograms / sizeof kPrograms[0];

// What the user interface thread cycles the edited instance through.
const Program kEdits[] = {
    kPrograms[0], kPrograms[1], kPrograms[2],
    {qv::Language::Glsl, "void main(){ outColor = vec4(1.0 - uv, 0.5, 1.0); }"},
    {qv::Language::Shadertoy, "void mainImage(out vec4 c, in vec2 p){ c = vec4(0.25); }"},
    {qv::Language::Lua, "return 'no pass'"},
    {qv::Language::Glsl, "this is not GLSL"},
};

std::vector<unsigned char> pixels(const qvh::World &w)
{
    std::size_t row = static_cast<std::size_t>(w.width()) * w.bytesPerPixel();
    std::vector<unsigned char> bytes(row * w.height());
    for (A_long y = 0; y < w.height(); ++y)
        std::memcpy(&bytes[row * y], w.pixelAddress(0, y), row);
    return bytes;
}

class StressTest : public InstanceTest {
protected:
    std::unique_ptr<qvh::Instance> makeInstance(const Program &p)
    {
        std::unique_ptr<qvh::Instance> inst = instance().duplicate();
        inst->setPopup(qv::kLanguageParam, qv::PopupValueOf(p.language));
        inst->setArbitraryText(qv::kCodeParam, p.code);
        return inst;
    }

    static qvh::CommandRunner runnerFor(qvh::Instance &inst)
    {
        return [&inst](PF_Cmd cmd, void *extra, PF_InData &in) { return inst.command(cmd, extra, in); };
    }
};

TEST_F(StressTest, FramesOnManyThreadsMatchOneThreadWhileTheUserEdits)
{
    const int threads = envCount("QV_STRESS_THREADS", 4);
    const int frames = envCount("QV_STRESS_FRAMES", 12);
    qvh::Composition comp;
    comp.width = 96, comp.height = 64;
    comp.depth = 16;

    std::vector<std::unique_ptr<qvh::Instance>> instances;
    for (const Program &p : kPrograms)
        instances.push_back(makeInstance(p));
    /* The Lua frames carry a message for the debug log, whose window the user
       interface thread opens while they render. */
    instances[2]->setCheckbox(qv::kDebugParam, true);
    auto programOf = [&](int thread, int frame) { return (thread + frame) % kProgramCount; };
    auto frameOf = [&](int thread, int frame) { return frame * threads + thread; };

    // The reference set, one frame at a time on this thread.
    std::vector<std::vector<std::vector<unsigned char>>> reference(kProgramCount);
    for (int p = 0; p < kProgramCount; ++p) {
        qvh::SmartFx fx(comp, runnerFor(*instances[p]));
        for (int f = 0; f < frames * threads; ++f) {
            qvh::FrameResult r = fx.renderFrame(qvh::frameTime(f, comp.fps));
            ASSERT_EQ(r.err(), PF_Err_NONE) << p << " " << f << ": " << r.message;
            ASSERT_TRUE(r.output);
            reference[p].push_back(pixels(*r.output));
        }
    }
    // The programs differ, and so do the frames of one program.
    EXPECT_NE(reference[0][0], reference[1][0]);
    EXPECT_NE(reference[1][0], reference[2][0]);
    EXPECT_NE(reference[2][0], reference[2][1]);

    std::unique_ptr<qvh::Instance> edited = makeInstance(kEdits[0]);
    std::atomic<bool> rendering{true};
    std::atomic<int> edits{0};
    std::thread ui([&] {
        bool debug = false;
        for (int i = 0; rendering.load(); ++i) {
            const Program &p = kEdits[i % (sizeof kEdits / sizeof kEdits[0])];
            edited->setArbitraryText(qv::kCodeParam, p.code);
            EXPECT_EQ(edited->userChangedParam(qv::kCodeParam).err, PF_Err_NONE);
            edited->setPopup(qv::kLanguageParam, qv::PopupValueOf(p.language));
            EXPECT_EQ(edited->userChangedParam(qv::kLanguageParam).err, PF_Err_NONE);
            if (i % 3 == 0) {
                debug = !debug;
                edited->setCheckbox(qv::kDebugParam, debug);
                EXPECT_EQ(edited->userChangedParam(qv::kDebugParam).err, PF_Err_NONE);
            }
            /* and a frame of what is being edited, whatever it shows */
            qvh::SmartFx fx(comp, runnerFor(*edited));
            fx.renderFrame(qvh::frameTime(i, comp.fps));
            ++edits;
        }
    });

    std::vector<std::vector<std::vector<unsigned char>>> got(threads);
    std::vector<std::vector<PF_Err>> errors(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int f = 0; f < frames; ++f) {
                qvh::Instance &inst = *instances[programOf(t, f)];
                qvh::SmartFx fx(comp, runnerFor(inst));
                qvh::FrameResult r = fx.renderFrame(qvh::frameTime(frameOf(t, f), comp.fps));
                errors[t].push_back(r.err());
                got[t].push_back(r.output ? pixels(*r.output) : std::vector<unsigned char>());
            }
        });
    for (std::thread &w : workers)
        w.join();
    rendering = false;
    ui.join();

    EXPECT_GT(edits.load(), 0);
    for (int t = 0; t < threads; ++t)
        for (int f = 0; f < frames; ++f) {
            ASSERT_EQ(errors[t][f], PF_Err_NONE) << "thread " << t << " frame " << f;
            EXPECT_TRUE(got[t][f] == reference[programOf(t, f)][frameOf(t, f)])
                << "thread " << t << " frame " << f << " (program " << programOf(t, f) << ")";
        }
}

} // namespace
