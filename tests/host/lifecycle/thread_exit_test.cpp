// Render threads that end: before the global setdown each takes its three
// engines' windows and contexts with it; after the setdown (which terminated
// GLFW) its engines go without a single GL or GLFW call.
//
// What is observed: the process's hidden engine windows on the X server;
// GLFW's error callback, which the plug-in shares with this program through
// the one GLFW library and which hears of every GLFW call made while GLFW is
// not initialised; and the GL dispatcher's own check (the test's environment
// sets __GLVND_APP_ERROR_CHECKING=1), which aborts on a GL call made with no
// context current, as every call after the setdown would be.
#include "common/render_fixture.h"
#include "worker.h"
#include "common/x_windows.h"  /* after GoogleTest: Xlib defines None */

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A GLSL frame through the driver's engine, then a Lua frame through both of
// the Lua engines: the three engines a render thread can own.
const char kGlslCode[] = "void main(){ outColor = vec4(uv, 0.5, 1.0); }";
const char kLuaCode[] =
    "qv.glsl('void main(){ outColor = vec4(uv.x, 0.25, 1.0, 1.0); }')\n"
    "qv.full_glsl('#version 330\\nin vec2 uv; out vec4 outColor;\\n"
    "void main(){ outColor = vec4(0.0, uv.y, 0.5, 1.0); }')";
constexpr int kEnginesPerThread = 3;

std::mutex glfwErrorsMutex;
std::vector<std::string> glfwErrors;

void recordGlfwError(int code, const char *description)
{
    std::lock_guard<std::mutex> lock(glfwErrorsMutex);
    glfwErrors.push_back(std::to_string(code) + ": " + (description ? description : ""));
}

class ThreadExitTest : public RenderTest {
protected:
    void SetUp() override
    {
        {
            std::lock_guard<std::mutex> lock(glfwErrorsMutex);
            glfwErrors.clear();
        }
        previousCallback_ = glfwSetErrorCallback(recordGlfwError);
        RenderTest::SetUp();
        comp_.width = 40, comp_.height = 24;
    }

    void TearDown() override
    {
        RenderTest::TearDown();
        glfwSetErrorCallback(previousCallback_);
    }

    // Renders on `w` with all three of its engines; every frame must succeed.
    void renderAllEngines(Worker &w)
    {
        for (const auto &job : {std::make_pair(qv::Language::Glsl, kGlslCode), std::make_pair(qv::Language::Lua, kLuaCode)})
            w.run([&] {
                setLanguage(job.first);
                setCode(job.second);
                qvh::FrameResult r = render(comp_);
                EXPECT_EQ(r.err(), PF_Err_NONE) << r.message;
            });
    }

    static std::vector<std::string> errorsSoFar()
    {
        std::lock_guard<std::mutex> lock(glfwErrorsMutex);
        return glfwErrors;
    }

    qvh::Composition comp_;

private:
    GLFWerrorfun previousCallback_ = nullptr;
};

// GLFW reported nothing: no call reached it while it was not initialised.
::testing::AssertionResult noGlfwErrors(const std::vector<std::string> &errors)
{
    if (errors.empty())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    for (const std::string &e : errors)
        failure << "GLFW error " << e << "\n";
    return failure;
}

TEST_F(ThreadExitTest, ThreadsEndingBeforeSetdownReleaseTheirThreeEngines)
{
    const int before = engineWindowCount();
    ASSERT_GE(before, 0) << "no X display";
    std::unique_ptr<Worker> a(new Worker), b(new Worker);
    renderAllEngines(*a);
    renderAllEngines(*b);
    EXPECT_EQ(engineWindowCount(), before + 2 * kEnginesPerThread);

    a.reset();  /* one thread ends: its engines go, the other's stay */
    EXPECT_EQ(engineWindowCount(), before + kEnginesPerThread);
    renderAllEngines(*b);
    EXPECT_EQ(engineWindowCount(), before + kEnginesPerThread) << "the surviving thread reuses its windows";
    b.reset();
    EXPECT_EQ(engineWindowCount(), before);
    EXPECT_TRUE(noGlfwErrors(errorsSoFar()));
}

TEST_F(ThreadExitTest, ThreadsEndingAfterSetdownMakeNoGlOrGlfwCall)
{
    ASSERT_NE(std::getenv("__GLVND_APP_ERROR_CHECKING"), nullptr)
        << "GL calls without a context would go unseen: run with __GLVND_APP_ERROR_CHECKING=1 (ctest sets it)";
    std::unique_ptr<Worker> a(new Worker), b(new Worker);
    renderAllEngines(*a);
    renderAllEngines(*b);
    ASSERT_EQ(effect().globalSetdown().err, PF_Err_NONE);
    EXPECT_EQ(engineWindowCount(), 0) << "terminating GLFW destroys every window";

    a.reset();  /* its engines belong to a terminated GLFW */
    EXPECT_TRUE(noGlfwErrors(errorsSoFar()));

    // A new session on another thread; then a thread of the old one ends
    // while the new session's windows are live: they must survive it.
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    std::unique_ptr<Worker> c(new Worker);
    renderAllEngines(*c);
    EXPECT_EQ(engineWindowCount(), kEnginesPerThread);
    b.reset();
    EXPECT_EQ(engineWindowCount(), kEnginesPerThread);
    renderAllEngines(*c);
    c.reset();
    EXPECT_EQ(engineWindowCount(), 0);
    EXPECT_TRUE(noGlfwErrors(errorsSoFar()));
}

// The windowing library goes down with the effect even when the host fails
// to take the global data back.
TEST_F(ThreadExitTest, SetdownWhoseDisposalFailsStillTerminatesGlfw)
{
    auto &faults = qvh::host().faults;
    const struct {
        const char *fault;
        std::function<void()> inject;
    } rows[] = {
        {"handle suite missing", [&] { faults.removeSuite("PF Handle Suite"); }},
        {"host_dispose_handle throws", [&] { faults.throwFrom("host_dispose_handle"); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fault);
        std::unique_ptr<Worker> w(new Worker);
        renderAllEngines(*w);
        EXPECT_EQ(engineWindowCount(), kEnginesPerThread);
        const std::size_t handles = qvh::hostHandles().live();
        row.inject();
        EXPECT_NE(effect().globalSetdown().err, PF_Err_NONE);
        faults.clear();
        EXPECT_EQ(engineWindowCount(), 0) << "GLFW left up";
        EXPECT_EQ(qvh::hostHandles().live(), handles - 1) << "global data left over";
        w.reset();
        EXPECT_TRUE(noGlfwErrors(errorsSoFar()));
        ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    }
}

} // namespace
