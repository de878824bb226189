// The effect's life in one process: a global setdown and a new global setup
// while render threads stay alive, commands that arrive without global data,
// and a setdown sent while another thread is still rendering.
#include "common/render_fixture.h"
#include "worker.h"

#include "base/global_data.h"
#include "base/param_indices.h"

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>

namespace {

const char kGlslCode[] = "void main(){ outColor = vec4(uv, slider[0], 1.0); }";
// Both Lua engines, one pass fed back through the output into the next.
const char kLuaCode[] =
    "qv.glsl('void main(){ outColor = vec4(uv.x, 0.25, 1.0, 1.0); }')\n"
    "qv.full_glsl('#version 330\\nuniform sampler2D layer[5]; in vec2 uv; out vec4 outColor;\\n"
    "void main(){ outColor = vec4(0.0, uv.y, 0.5, 1.0); }')\n"
    "qv.glsl('void main(){ vec4 c = getColor(OUTPUT_LAYER_INDEX, uv); outColor = vec4(c.b, c.g, uv.x, 1.0); }', true)";

class LifecycleTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        instance().setFloat(qv::kFirstSliderParam, 0.25);
        comp_.width = 48, comp_.height = 40;
    }

    qvh::FrameResult renderWith(qv::Language language, const char *code)
    {
        setLanguage(language);
        setCode(code);
        return render(comp_);
    }

    // Every byte of two frames of the composition's size.
    void expectSamePixels(const qvh::FrameResult &a, const qvh::FrameResult &b, const std::string &what)
    {
        ASSERT_EQ(a.err(), PF_Err_NONE) << what << " " << a.message;
        ASSERT_EQ(b.err(), PF_Err_NONE) << what << " " << b.message;
        ASSERT_TRUE(a.output && b.output) << what;
        std::size_t bytes = comp_.depth == 16 ? 8 : 4;
        for (A_long y = 0; y < comp_.height; ++y)
            for (A_long x = 0; x < comp_.width; ++x)
                ASSERT_EQ(std::memcmp(a.output->pixelAddress(x, y), b.output->pixelAddress(x, y), bytes), 0)
                    << what << " at " << x << "," << y;
    }

    // Not a cleared frame: the GLSL pass put its green ramp in.
    void expectDrawn(const qvh::FrameResult &r)
    {
        ASSERT_TRUE(r.output);
        float rgba[4];
        r.output->read(comp_.width - 1, 0, rgba);
        EXPECT_GT(rgba[1], 0.9f);
    }

    qvh::Composition comp_;
};

TEST_F(LifecycleTest, ThreadsStillAliveRenderAgainAfterASecondGlobalSetup)
{
    // The languages: GLSL through the driver's engine, Lua through both of its own.
    const std::pair<qv::Language, const char *> jobs[] = {{qv::Language::Glsl, kGlslCode}, {qv::Language::Lua, kLuaCode}};
    std::vector<qvh::FrameResult> before(4), after(4);
    {
        Worker a, b;
        Worker *workers[] = {&a, &b};
        for (int round = 0; round < 2; ++round) {
            std::vector<qvh::FrameResult> &out = round ? after : before;
            for (int w = 0; w < 2; ++w)
                for (int j = 0; j < 2; ++j)
                    workers[w]->run([&, w, j] { out[w * 2 + j] = renderWith(jobs[j].first, jobs[j].second); });
            if (round == 0) {
                ASSERT_EQ(effect().globalSetdown().err, PF_Err_NONE);
                ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
            }
        }
    }
    for (int j = 0; j < 2; ++j) {
        qvh::FrameResult fresh;
        std::thread([&] { fresh = renderWith(jobs[j].first, jobs[j].second); }).join();
        if (j == 0)
            expectDrawn(fresh);
        for (int w = 0; w < 2; ++w) {
            expectSamePixels(before[w * 2 + j], fresh, "before, thread " + std::to_string(w) + " job " + std::to_string(j));
            expectSamePixels(after[w * 2 + j], fresh, "after, thread " + std::to_string(w) + " job " + std::to_string(j));
        }
    }
}

TEST_F(LifecycleTest, SetdownWhileAnotherThreadRendersWaitsForTheRender)
{
    // A Lua render whose pass is long enough for the setdown to arrive in its
    // middle; its message goes to the debug window, known from the global data.
    const char heavy[] =
        "qv.glsl('void main(){ float a = 0.0; for (int i = 0; i < 3000; ++i) a += sin(float(i) * uv.x) * 1e-9;"
        " outColor = vec4(uv, slider[0] + a, 1.0); }')\n"
        "return 'done'";
    comp_.width = 1100, comp_.height = 500;  /* more than one tile */
    openDebugWindow();
    qvh::FrameResult expected = renderWith(qv::Language::Lua, heavy);
    ASSERT_EQ(expected.err(), PF_Err_NONE) << expected.message;
    expectDrawn(expected);
    ASSERT_EQ(logScripts().size(), 1u);

    Worker w;
    int asks = qvh::abortAsks();
    qvh::FrameResult during;
    std::future<void> done = w.start([&] { during = renderWith(qv::Language::Lua, heavy); });
    while (qvh::abortAsks() == asks)  /* the script asks before its pass: the render is under way */
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(effect().globalSetdown().err, PF_Err_NONE);
    EXPECT_EQ(done.wait_for(std::chrono::seconds(0)), std::future_status::ready)
        << "the setdown returned before the render it cut across";
    done.wait();
    expectSamePixels(during, expected, "render across a setdown");
    EXPECT_EQ(logScripts().size(), 2u) << "the render lost its global data half way";
}

// The commands that read the global data, sent with none: after a setdown,
// after a setup that failed (no handle), and Premiere's unfilled data.
TEST_F(LifecycleTest, CommandsThatNeedGlobalDataDoNothingWithoutIt)
{
    struct Situation {
        const char *name;
        std::function<void()> prepare;
        bool hasData;
    };
    const Situation situations[] = {
        {"after setdown", [] {}, false},
        {"failed setup",
         [this] {
             qvh::host().faults.failHandleAllocations(1);
             EXPECT_EQ(effect().globalSetup().err, PF_Err_OUT_OF_MEMORY);
         },
         false},
        {"Premiere, unfilled",
         [this] {
             qvh::host().applId = qv::kPremiereApplId;
             EXPECT_EQ(effect().globalSetup().err, PF_Err_NONE);
         },
         true},
    };
    setCode(kGlslCode);
    setCheckbox(qv::kDebugParam, true);
    for (const Situation &s : situations) {
        SCOPED_TRACE(s.name);
        ASSERT_EQ(effect().globalSetdown().err, PF_Err_NONE);
        s.prepare();
        ASSERT_EQ(effect().globalData() != nullptr, s.hasData);

        std::size_t scripts = qvh::host().scriptCount();
        EXPECT_EQ(effect().command(PF_Cmd_ABOUT).err, PF_Err_NONE);
        if (!s.hasData) {
            EXPECT_EQ(qvh::host().scriptCount(), scripts) << "the start window needs the plug-in folder";
        }
        // The controls whose handling reads or writes the global data.
        for (PF_ParamIndex index : {qv::kEditButtonParam, qv::kDebugParam, qv::kLanguageParam, qv::kResetAllParam}) {
            qvh::CommandResult r = instance().userChangedParam(index);
            if (!s.hasData) {
                EXPECT_EQ(r.err, PF_Err_NONE) << "control " << index << ": " << r.message();
            }
            EXPECT_EQ(qvh::host().openUndoGroups, 0) << "control " << index;  /* a refused reset closes its group */
        }
        // A render still draws; it has no folder to give and no debug window to log to.
        qvh::FrameResult r = render(comp_);
        ASSERT_EQ(r.err(), PF_Err_NONE) << r.message;
        expectDrawn(r);
        EXPECT_TRUE(logScripts().empty());
    }
}

} // namespace
