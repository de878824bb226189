// The hidden window and context, the error queue, simulated
// failures of context set-up and allocation, thread-local engines on several
// threads at once, and the global shutdown.
#include "common/engine_fixture.h"
#include "common/x_windows.h"

#include "engine/engine_lifecycle.h"
#include "engine/thread_engines.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

namespace {

const std::string kSliderFill = "void main(){ outColor = vec4(slider[0], slider[1], 0.5, 1.0); }";

// Renders kSliderFill with two slider values and checks every pixel (8 bits).
::testing::AssertionResult rendersSliders(qv::GLSLCore &engine, double a, double b)
{
    Frame frame(37, 23, 8);
    frame.params.sliders[0] = a;
    frame.params.sliders[1] = b;
    if (engine.render(kSliderFill, &frame.ctx, true) != qv::PassResult::Ran)
        return ::testing::AssertionFailure() << "render refused: " << drain(engine);
    std::string log = drain(engine);
    if (!log.empty())
        return ::testing::AssertionFailure() << log;
    double want[4] = {255, hostValue(static_cast<float>(a), 8), hostValue(static_cast<float>(b), 8), 127};
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            for (int c = 0; c < 4; ++c)
                if (frame.output.get(x, y, c) != want[c])
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") channel " << c << " is "
                           << frame.output.get(x, y, c) << ", not " << want[c];
    return ::testing::AssertionSuccess();
}

using LifecycleTest = EngineTest;

TEST_F(LifecycleTest, ConstructionMakesAHidden1024WindowWithA33CoreContext)
{
    int before = engineWindowCount();
    {
        qv::GLSLCore engine;
        EXPECT_TRUE(qv::EngineProbe(engine)->initialised);
        EXPECT_FALSE(engine.hasError());
        EXPECT_EQ(qv::EngineProbe(engine)->fboWidth, 1024);
        EXPECT_EQ(qv::EngineProbe(engine)->fboHeight, 1024);
        ASSERT_NE(qv::EngineProbe(engine)->window, nullptr);
        EXPECT_EQ(glfwGetWindowAttrib(qv::EngineProbe(engine)->window, GLFW_VISIBLE), GLFW_FALSE);
        EXPECT_EQ(glfwGetWindowAttrib(qv::EngineProbe(engine)->window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
        int major = glfwGetWindowAttrib(qv::EngineProbe(engine)->window, GLFW_CONTEXT_VERSION_MAJOR);
        int minor = glfwGetWindowAttrib(qv::EngineProbe(engine)->window, GLFW_CONTEXT_VERSION_MINOR);
        EXPECT_GE(major * 10 + minor, 33);
        EXPECT_EQ(engineWindowCount(), before + 1);
    }
    EXPECT_EQ(engineWindowCount(), before);
}

TEST_F(LifecycleTest, LaterRendersReuseTheWindow)
{
    qv::GLSLCore engine;
    GLFWwindow *window = qv::EngineProbe(engine)->window;
    int windows = engineWindowCount();
    EXPECT_TRUE(rendersSliders(engine, 0.25, 0.75));
    EXPECT_TRUE(rendersSliders(engine, 1.0, 0.0));
    EXPECT_EQ(qv::EngineProbe(engine)->window, window);
    EXPECT_EQ(engineWindowCount(), windows);
}

// So that a global shutdown while render threads live can free every context.
TEST_F(LifecycleTest, NoContextStaysCurrentBetweenOperations)
{
    qv::GLSLCore engine;
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    EXPECT_TRUE(rendersSliders(engine, 0.5, 0.5));
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
    Frame frame(4, 4, 8);
    engine.render("broken", &frame.ctx, true);
    drain(engine);
    EXPECT_EQ(glfwGetCurrentContext(), nullptr);
}

TEST_F(LifecycleTest, PopErrorOnEmptyQueueGivesEmptyText)
{
    qv::GLSLCore engine;
    EXPECT_FALSE(engine.hasError());
    EXPECT_EQ(engine.popError(), "");
}

TEST_F(LifecycleTest, MessagesComeBackInQueueOrder)
{
    qv::GLSLCore engine;
    EXPECT_EQ(engine.render("x", nullptr, true), qv::PassResult::Refused);
    Frame frame(4, 4, 8);
    engine.render("x", &frame.ctx, true);
    EXPECT_EQ(engine.popError(), "QUORVEL_INNER_ERROR::\nUser data lost while rendering.");
    EXPECT_EQ(engine.popError().rfind("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n", 0), 0u);
    EXPECT_EQ(engine.popError().rfind("ERROR::SHADER::PROGRAM::LINKING_FAILED\n", 0), 0u);
    EXPECT_FALSE(engine.hasError());
}

// A fault in context set-up, the message it must queue, and that a render
// after the fault is cleared starts over and draws.
struct InitFaultCase {
    qv::EngineFault fault;
    const char *message;
};

// Named by the message: gtest would otherwise print the case's raw bytes, padding included.
void PrintTo(const InitFaultCase &c, std::ostream *os)
{
    *os << "fault " << static_cast<int>(c.fault) << " (" << c.message << ")";
}

class InitFaultTest : public EngineTest, public ::testing::WithParamInterface<InitFaultCase> {};

TEST_P(InitFaultTest, QueuesTheMessageLeavesNoWindowAndRecovers)
{
    int before = engineWindowCount();
    {
        qv::setEngineFault(GetParam().fault, true);
        qv::GLSLCore engine;
        EXPECT_FALSE(qv::EngineProbe(engine)->initialised);
        EXPECT_EQ(qv::EngineProbe(engine)->window, nullptr);
        EXPECT_EQ(engineWindowCount(), before);
        Frame frame(8, 8, 8);
        EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Refused);  /* tries again, fails again */
        EXPECT_EQ(drain(engine), GetParam().message) << "the unread cause is not repeated";
        EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Refused);
        EXPECT_EQ(drain(engine), GetParam().message) << "a drained cause is reported again";
        EXPECT_EQ(engineWindowCount(), before);

        qv::clearEngineFaults();
        EXPECT_TRUE(rendersSliders(engine, 0.5, 0.25));
        EXPECT_TRUE(qv::EngineProbe(engine)->initialised);
        EXPECT_EQ(engineWindowCount(), before + 1);
    }
    EXPECT_EQ(engineWindowCount(), before);
    EXPECT_TRUE(rendersSliders(engine(), 0.125, 1.0)) << "other engines keep working";
}

INSTANTIATE_TEST_SUITE_P(Faults, InitFaultTest,
    ::testing::Values(InitFaultCase{qv::EngineFault::WindowCreation, "Failed to create GLFW window"},
                      InitFaultCase{qv::EngineFault::GladLoad, "Failed to initialize GLAD"},
                      InitFaultCase{qv::EngineFault::FramebufferIncomplete, "Failed to initialize FBO"}));

TEST_F(LifecycleTest, InitialisationMessageWaitsForTheNextRenderWhichStillDraws)
{
    qv::setEngineFault(qv::EngineFault::WindowCreation, true);
    qv::GLSLCore engine;
    qv::clearEngineFaults();
    Frame frame(8, 8, 8);
    frame.params.sliders[0] = 1.0;
    EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(engine), "Failed to create GLFW window");
    EXPECT_EQ(frame.output.get(0, 0, 1), 255);
}

TEST_F(LifecycleTest, MissingOutBufferLayerFailsOnlyOutputAsInputPasses)
{
    qv::setEngineFault(qv::EngineFault::OutBufferLayerAlloc, true);
    qv::GLSLCore engine;
    qv::clearEngineFaults();
    EXPECT_EQ(drain(engine), "Failed on initializing outBufferLayer.\n");
    EXPECT_TRUE(rendersSliders(engine, 0.5, 0.5));
    Frame frame(8, 8, 8);
    frame.ctx.useOutputAsInput = 1;
    EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Refused);
    EXPECT_EQ(drain(engine), "QUORVEL_INNER_ERROR::\nOutput buffer crashed.");
}

TEST_F(LifecycleTest, FailedStagingAllocationClaimsNoCapacity)
{
    qv::GLSLCore engine;
    Frame frame(16, 16, 8);
    frame.output.fill(1, 2, 3, 4);
    qv::setEngineFault(qv::EngineFault::StagingAlloc, true);
    EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(engine), "GLSL Core error : Memory not enough.\n");
    EXPECT_EQ(qv::EngineProbe(engine)->stagingCapacity, 0u);
    EXPECT_EQ(qv::EngineProbe(engine)->stagingBuffer, nullptr);
    EXPECT_EQ(frame.output.get(5, 5, 0), 1) << "nothing drawn";

    qv::clearEngineFaults();  /* the same size is asked for again and now allocated */
    frame.params.sliders[0] = 1.0;
    EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(engine), "");
    EXPECT_EQ(qv::EngineProbe(engine)->stagingCapacity, 16u * 16u * 16u);
    EXPECT_EQ(frame.output.get(5, 5, 1), 255);
}

TEST_F(LifecycleTest, StagingOnlyGrows)
{
    qv::GLSLCore engine;
    EXPECT_EQ(qv::ensureStaging(qv::EngineProbe(engine).state(), 64), 0);
    float *first = qv::EngineProbe(engine)->stagingBuffer;
    EXPECT_EQ(qv::ensureStaging(qv::EngineProbe(engine).state(), 32), 0);
    EXPECT_EQ(qv::EngineProbe(engine)->stagingBuffer, first);
    EXPECT_EQ(qv::EngineProbe(engine)->stagingCapacity, 64u);
    EXPECT_EQ(qv::ensureStaging(qv::EngineProbe(engine).state(), 128), 0);
    EXPECT_EQ(qv::EngineProbe(engine)->stagingCapacity, 128u);
    qv::setEngineFault(qv::EngineFault::StagingAlloc, true);
    EXPECT_EQ(qv::ensureStaging(qv::EngineProbe(engine).state(), 256), -1);
    EXPECT_EQ(qv::EngineProbe(engine)->stagingCapacity, 0u);
    EXPECT_EQ(qv::ensureStaging(qv::EngineProbe(engine).state(), 0), 0);
}

TEST_F(LifecycleTest, ReadbackBufferNotObtained)
{
    qv::GLSLCore engine;
    Frame frame(8, 8, 8);
    frame.output.fill(7, 7, 7, 7);
    qv::setEngineFault(qv::EngineFault::ReadbackAlloc, true);
    EXPECT_EQ(engine.render(kSliderFill, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(engine), "GLSL Core error : Memory not enough.\n");
    EXPECT_EQ(frame.output.get(0, 0, 0), 7);
    qv::clearEngineFaults();
    EXPECT_TRUE(rendersSliders(engine, 0.0, 1.0));
}

TEST_F(LifecycleTest, OutBufferLayerMemoryNotObtained)
{
    qv::GLSLCore engine;
    Frame frame(8, 8, 16);
    frame.ctx.useOutputAsInput = 1;
    qv::EngineProbe(engine)->ctx = &frame.ctx;
    qv::setEngineFault(qv::EngineFault::StagingAlloc, true);
    qv::prepareOutBufferLayer(qv::EngineProbe(engine).state());
    EXPECT_EQ(drain(engine), "Failed on initializing outBufferLayer(data).\n");
}

TEST_F(LifecycleTest, OutBufferLayerSizeDoesNotOverflow32Bits)
{
    qv::GLSLCore engine;
    HostBuffer out(1, 1, 32);
    PF_EffectWorld huge = *out.world();
    huge.width = 40000;
    huge.height = 40000;  /* 16 x 40000 x 40000 bytes: past 2^32 */
    qv::PCData ctx;
    ctx.depth = 32;
    ctx.bytesPerPixel = 16;
    ctx.outputWorld = &huge;
    ctx.useOutputAsInput = 1;
    qv::EngineProbe(engine)->ctx = &ctx;
    qv::setEngineFault(qv::EngineFault::StagingAlloc, true);  /* asks, but does not take, 25.6 GB */
    qv::prepareOutBufferLayer(qv::EngineProbe(engine).state());
    EXPECT_EQ(drain(engine), "Failed on initializing outBufferLayer(data).\n");
    EXPECT_EQ(qv::EngineProbe(engine)->stagingCapacity, 0u);
    qv::clearEngineFaults();
    ASSERT_EQ(qv::ensureStaging(qv::EngineProbe(engine).state(), 16), 0);  /* the request that failed was the full size */
    EXPECT_LT(qv::EngineProbe(engine)->stagingCapacity, 16ull * 40000 * 40000);
}

TEST_F(LifecycleTest, NullRenderContextIsRefused)
{
    EXPECT_EQ(engine().render(kSliderFill, nullptr, true), qv::PassResult::Refused);
    EXPECT_EQ(drain(engine()), "QUORVEL_INNER_ERROR::\nUser data lost while rendering.");
}

TEST_F(LifecycleTest, ThreeSitesOnOneThreadHaveThreeEnginesAndWindows)
{
    int before = engineWindowCount();
    std::thread([&] {
        qv::GLSLCore &driver = qv::driverEngine();
        qv::GLSLCore &glsl = qv::luaGlslEngine();
        qv::GLSLCore &full = qv::luaUnwrappedGlslEngine();
        EXPECT_NE(&driver, &glsl);
        EXPECT_NE(&glsl, &full);
        EXPECT_EQ(&qv::driverEngine(), &driver);
        EXPECT_EQ(engineWindowCount(), before + 3);
        for (int round = 0; round < 3; ++round) {  /* each renders in its own context */
            EXPECT_TRUE(rendersSliders(driver, 0.1 * round, 0.2));
            EXPECT_TRUE(rendersSliders(full, 0.3, 0.1 * round));
            EXPECT_TRUE(rendersSliders(glsl, 0.5, 0.25 * round));
        }
    }).join();
    EXPECT_EQ(engineWindowCount(), before) << "the thread's engines went with it";
}

// GLFW documents glfwCreateWindow as a main-thread call. Under engineMutex it
// holds on X11: several threads make their engines and render at once, each
// in its own context, and their windows go when the threads end.
TEST_F(LifecycleTest, SeveralThreadsMakeEnginesAndRenderAtOnce)
{
    constexpr int kThreads = 6;
    constexpr int kRounds = 8;
    int before = engineWindowCount();
    std::atomic<int> failures{0};
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < kThreads)  /* start together: windows made concurrently */
                std::this_thread::yield();
            for (int round = 0; round < kRounds; ++round) {
                qv::GLSLCore &engine = round % 2 ? qv::luaGlslEngine() : qv::driverEngine();
                ::testing::AssertionResult ok =
                    rendersSliders(engine, (t + 1) / 8.0, (round + 1) / 16.0);
                if (!ok) {
                    ++failures;
                    ADD_FAILURE() << "thread " << t << " round " << round << ": " << ok.message();
                }
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(engineWindowCount(), before);
}

TEST_F(LifecycleTest, GlobalShutdownThenEnginesStartOver)
{
    qv::GLSLCore engine;
    EXPECT_TRUE(rendersSliders(engine, 0.5, 0.5));
    std::mutex mutex;
    std::condition_variable changed;
    int stage = 0;
    std::thread worker([&] {  /* a render thread that outlives the shutdown */
        EXPECT_TRUE(rendersSliders(qv::driverEngine(), 0.25, 0.25));
        std::unique_lock<std::mutex> lock(mutex);
        stage = 1;
        changed.notify_all();
        changed.wait(lock, [&] { return stage == 2; });
    });
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return stage == 1; });
    }
    qv::globalShutdown();
    EXPECT_EQ(engineWindowCount(), 0) << "terminating GLFW destroys every window";
    {
        std::lock_guard<std::mutex> lock(mutex);
        stage = 2;
        changed.notify_all();
    }
    worker.join();  /* its engine is destroyed with no GL or GLFW call */
    qv::globalShutdown();  /* twice is harmless */

    EXPECT_TRUE(rendersSliders(engine, 1.0, 0.0)) << "a new GLFW session and a new window";
    EXPECT_EQ(engineWindowCount(), 1);
    EXPECT_TRUE(rendersSliders(EngineTest::engine(), 0.0, 1.0));
}

} // namespace
