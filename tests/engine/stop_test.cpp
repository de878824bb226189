// Passes that stop when their stop callback says so, between tiles and
// between pieces of a tile, without a message and within a bounded time; and
// frames or layers past the GL's texture size limit, which fail with a message.
#include "common/engine_fixture.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Seconds of sin and texture reads per pixel on a software rasteriser.
const char kSlowShader[] =
    "void main(){ vec4 c = vec4(0.0);"
    " for (int i = 0; i < 60000 + int(slider[0]); ++i) c += sin(getColor(uv + c.xy * 1e-3) + float(i));"
    " outColor = c; }";

struct StopAfter {
    Clock::time_point deadline;
    int calls = 0;
    static bool check(void *self)
    {
        StopAfter &s = *static_cast<StopAfter *>(self);
        ++s.calls;
        return Clock::now() >= s.deadline;
    }
};

qv::StopCheck stopCheck(StopAfter &when)
{
    qv::StopCheck check;
    check.shouldStop = &StopAfter::check;
    check.context = &when;
    return check;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST_F(EngineTest, ASlowShaderStopsSoonAfterTheStopCallbackSaysSo)
{
    Frame frame(48, 48, 8);
    frame.output.fill(1, 2, 3, 4);
    Clock::time_point start = Clock::now();
    StopAfter when{start + std::chrono::milliseconds(300)};
    frame.ctx.stop = stopCheck(when);
    EXPECT_EQ(engine().render(kSlowShader, &frame.ctx, true), qv::PassResult::Stopped);
    double seconds = secondsSince(start);
    EXPECT_EQ(drain(engine()), "") << "a stop is no error";
    EXPECT_LT(seconds, 10.0) << "unstopped, this frame runs for minutes";
    EXPECT_GE(when.calls, 2) << "asked between pieces of the one tile";

    frame.ctx.stop = qv::StopCheck();  /* the next pass starts afresh */
    frame.params.sliders[0] = 0.5;
    EXPECT_EQ(render(frame, "void main(){ outColor = vec4(slider[0]); }"), "");
    EXPECT_EQ(frame.output.get(7, 7, 1), 127);
}

// A stop before anything is drawn: the output, and with the output as an
// input its private copy, are left as they were.
TEST_F(EngineTest, AStoppedPassWritesNothing)
{
    for (uint8_t outputAsInput : {0, 1}) {
        Frame frame(40, 30, 16);
        frame.output.fill(100, 200, 300, 400);
        HostBuffer before = frame.output;
        StopAfter now{Clock::now()};
        frame.ctx.stop = stopCheck(now);
        frame.ctx.useOutputAsInput = outputAsInput;
        EXPECT_EQ(engine().render("void main(){ outColor = vec4(1.0); }", &frame.ctx, true), qv::PassResult::Stopped);
        EXPECT_EQ(drain(engine()), "");
        EXPECT_EQ(frame.output.bytes(), before.bytes()) << "output as input: " << int(outputAsInput);
    }
}

// A callback that never says stop is asked between tiles and changes no pixel.
TEST_F(EngineTest, ACallbackThatNeverStopsChangesNoPixel)
{
    qv::setEngineWindowSize(64, 48);
    qv::GLSLCore small;
    const std::string code = "void main(){ outColor = 0.5 * getColor(uv) + vec4(uv, sin(uv.x * 40.0), 1.0); }";
    for (int depth : {8, 32}) {
        Frame with(301, 203, depth), without(301, 203, depth);
        for (Frame *f : {&with, &without})
            for (int y = 0; y < 203; ++y)
                for (int x = 0; x < 301; ++x)
                    f->input.set(x, y, 1, depth == 8 ? (x * 7 + y) % 256 : ((x * 7 + y) % 256) / 255.0);
        StopAfter never{Clock::time_point::max()};
        with.ctx.stop = stopCheck(never);
        ASSERT_EQ(small.render(code, &with.ctx, true), qv::PassResult::Ran);
        ASSERT_EQ(small.render(code, &without.ctx, true), qv::PassResult::Ran);
        EXPECT_EQ(drain(small), "");
        EXPECT_GE(never.calls, 5 * 5) << "at least once a tile";
        EXPECT_EQ(with.output.bytes(), without.output.bytes()) << depth << " bits";
    }
}

// A frame or layer past GL_MAX_TEXTURE_SIZE would sample as black.
struct TooLargeCase {
    int frameW, frameH;
    int inputW, inputH;
    int layerW, layerH;  // 0: no layer
};

void PrintTo(const TooLargeCase &c, std::ostream *os)
{
    *os << "frame " << c.frameW << "x" << c.frameH << ", input " << c.inputW << "x" << c.inputH
        << ", layer " << c.layerW << "x" << c.layerH;
}

class TooLargeTest : public EngineTest, public ::testing::WithParamInterface<TooLargeCase> {};

TEST_P(TooLargeTest, FailsWithAMessageAndLeavesTheOutput)
{
    const TooLargeCase &c = GetParam();
    HostBuffer input(c.inputW, c.inputH, 8, 0), output(c.frameW, c.frameH, 8, 0);
    HostBuffer layer(std::max(c.layerW, 1), std::max(c.layerH, 1), 8, 0);
    output.fill(9, 9, 9, 9);
    qv::PassFrame ctx;
    ctx.depth = 8;
    ctx.bytesPerPixel = 4;
    ctx.inputWorld = input.world();
    ctx.outputWorld = output.world();
    ctx.width = c.frameW;
    ctx.height = c.frameH;
    if (c.layerW)
        ctx.layerWorlds[3] = layer.world();
    EXPECT_EQ(engine().render("void main(){ outColor = vec4(1.0); }", &ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(engine()), "GLSL Core error : Frame or layer larger than the GPU's maximum texture size.\n");
    EXPECT_EQ(output.get(0, 0, 0), 9) << "nothing drawn";
}

INSTANTIATE_TEST_SUITE_P(Sizes, TooLargeTest, ::testing::Values(
    TooLargeCase{20000, 2, 20000, 2, 0, 0},
    TooLargeCase{2, 20000, 2, 20000, 0, 0},
    TooLargeCase{20000, 2, 100, 2, 20000, 2}));

} // namespace
