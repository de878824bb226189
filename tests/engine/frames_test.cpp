// The render pass at the edges: empty, single-pixel and many-tile frames, smaller
// framebuffers, and NaN and infinite values on their way to the host.
#include "common/engine_fixture.h"

#include <limits>
#include <ostream>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const char kUvGradient[] = "void main(){ outColor = vec4(uv, getColor(uv).g, 1.0); }";

TEST_F(EngineTest, EmptyFrameDrawsAndWritesNothing)
{
    qv::GLSLCore fresh;  /* no staging buffer yet */
    Frame frame(0, 0, 8, 0);
    EXPECT_EQ(fresh.render(kUvGradient, &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(fresh), "");
    EXPECT_TRUE(frame.output.paddingIntact());

    Frame wide(7, 0, 16);  /* no rows */
    EXPECT_EQ(fresh.render(kUvGradient, &wide.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(fresh), "");
}

TEST_F(EngineTest, EmptyFrameWithNullPixelMemory)
{
    Frame frame(0, 0, 32, 0);
    frame.input.world()->data = nullptr;
    frame.output.world()->data = nullptr;
    EXPECT_EQ(render(frame, kUvGradient), "");
}

TEST_F(EngineTest, SinglePixelFrame)
{
    Frame frame(1, 1, 8);
    frame.input.fill(255, 0, 200, 0);
    EXPECT_EQ(render(frame, kUvGradient), "");
    EXPECT_EQ(frame.output.get(0, 0, 0), 255);
    EXPECT_EQ(frame.output.get(0, 0, 1), 127);  /* uv is (0.5, 0.5) */
    EXPECT_EQ(frame.output.get(0, 0, 2), 127);
    EXPECT_EQ(frame.output.get(0, 0, 3), 200);
    EXPECT_TRUE(frame.output.paddingIntact());
}

TEST_F(EngineTest, NullInputPixelsAreReported)
{
    Frame frame(4, 4, 8);
    frame.output.fill(5, 5, 5, 5);
    frame.input.world()->data = nullptr;
    EXPECT_EQ(render(frame, kUvGradient), "QUORVEL::INNER_ERROR:\nNull pointer while calling copyToBuffer.");
    EXPECT_EQ(frame.output.get(0, 0, 0), 5) << "the pass stopped before drawing";
}

// 5000 x 3000 in 5 x 3 tiles of 1024 x 1024 (the input is small: it is
// stretched, and only the frame's size matters for the tiles).
TEST_F(EngineTest, LargeFrameInFifteenTiles)
{
    Frame frame(5000, 3000, 8, 12);
    HostBuffer small(8, 8, 8);
    small.fill(255, 0, 77, 0);
    frame.ctx.inputWorld = small.world();
    frame.ctx.magFilter = 1;
    EXPECT_EQ(render(frame, kUvGradient), "");
    int bad = 0;
    for (int row = 0; row < 3000 && bad < 10; ++row)
        for (int x = 0; x < 5000 && bad < 10; ++x) {
            int y = 2999 - row;
            double want[4] = {255, hostValue(static_cast<float>((x + 0.5) / 5000), 8),
                              hostValue(static_cast<float>((y + 0.5) / 3000), 8), 77};
            for (int c = 0; c < 4; ++c)
                if (frame.output.get(x, row, c) != want[c] && ++bad)
                    ADD_FAILURE() << x << "," << row << "," << c << ": " << frame.output.get(x, row, c);
        }
    EXPECT_TRUE(frame.output.paddingIntact());
}

// The same frame through a 1024 x 1024 and a 64 x 48 framebuffer (5 x 5 tiles).
TEST_F(EngineTest, SmallerFramebufferGivesTheSamePixels)
{
    qv::setEngineWindowSize(64, 48);
    qv::GLSLCore small;
    EXPECT_EQ(qv::EngineProbe(small)->fboWidth, 64);
    EXPECT_EQ(qv::EngineProbe(small)->fboHeight, 48);
    for (int depth : {8, 16, 32}) {
        Frame a(301, 203, depth), b(301, 203, depth);
        for (int y = 0; y < 203; ++y)
            for (int x = 0; x < 301; ++x)
                for (int c = 0; c < 4; ++c) {
                    double v = ((x * 13 + y * 7 + c * 31) % 97) / 97.0 * fullScale(depth);
                    a.input.set(x, y, c, depth == 32 ? v : std::floor(v));
                    b.input.set(x, y, c, depth == 32 ? v : std::floor(v));
                }
        const std::string code =
            "void main(){ outColor = 0.5 * getColor(uv) + 0.5 * vec4(uv, 1.0 - uv.x, uv.y); }";
        EXPECT_EQ(render(a, code), "");
        EXPECT_EQ(small.render(code, &b.ctx, true), qv::PassResult::Ran);
        EXPECT_EQ(drain(small), "");
        int differ = 0;
        double worst = 0;
        for (int y = 0; y < 203; ++y)
            for (int x = 0; x < 301; ++x)
                for (int c = 0; c < 4; ++c) {
                    double d = std::fabs(a.output.get(x, y, c) - b.output.get(x, y, c));
                    differ += d != 0;
                    worst = std::max(worst, d);
                }
        /* uv is interpolated over other quads, so it may differ in its last bit:
           exact at 8 bits, one step at 16, float rounding at 32 */
        if (depth == 8) {
            EXPECT_EQ(a.output.bytes(), b.output.bytes());
        }
        EXPECT_LE(worst, depth == 8 ? 0.0 : depth == 16 ? 1.0 : 5e-5) << "depth " << depth;
        EXPECT_LT(differ, 301 * 203 * 4 / (depth == 16 ? 5 : 1)) << "depth " << depth;
    }
}

struct SpecialCase {
    int depth;
    double r, g, b, a;      // written by the shader through sliders
    double wantA, wantR, wantG, wantB;  // in host units; NaN where NaN is expected
};

// Named by its fields: gtest would otherwise print the struct's raw bytes, padding included.
void PrintTo(const SpecialCase &c, std::ostream *os)
{
    *os << "depth " << c.depth << ", shader (" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

class SpecialValueTest : public EngineTest, public ::testing::WithParamInterface<SpecialCase> {};

TEST_P(SpecialValueTest, ReachTheHostAsSpecified)
{
    const SpecialCase &p = GetParam();
    Frame frame(3, 2, p.depth);
    frame.params.sliders[0] = p.r;
    frame.params.sliders[1] = p.g;
    frame.params.sliders[2] = p.b;
    frame.params.sliders[3] = p.a;
    ASSERT_EQ(render(frame, "void main(){ outColor = vec4(slider[0], slider[1], slider[2], slider[3]); }"), "");
    double want[4] = {p.wantA, p.wantR, p.wantG, p.wantB};
    for (int c = 0; c < 4; ++c) {
        double got = frame.output.get(2, 1, c);
        if (std::isnan(want[c]))
            EXPECT_TRUE(std::isnan(got)) << "channel " << c << " is " << got;
        else
            EXPECT_EQ(got, want[c]) << "channel " << c;
    }
}

INSTANTIATE_TEST_SUITE_P(NaNAndInfinity, SpecialValueTest, ::testing::Values(
    SpecialCase{8, kNaN, kInf, -kInf, kNaN, 0, 0, 255, 0},
    SpecialCase{8, 0.999, 0.5, 1.2, kInf, 255, 254, 127, 255},
    SpecialCase{16, kNaN, kInf, -kInf, -kInf, 0, 0, 32768, 0},
    SpecialCase{16, 1.2, 0.5, -0.1, 1.0, 32768, 32768, 16384, 0},
    SpecialCase{32, kNaN, kInf, -kInf, kNaN, 0.0, 0.0, kInf, -kInf},
    SpecialCase{32, -0.5, 3.0, 0.25, 1.5, 1.0, -0.5, 3.0, 0.25},
    SpecialCase{32, 0.0, 0.0, 0.0, -0.2, 0.0, 0.0, 0.0, 0.0},
    SpecialCase{32, 0.0, 0.0, 0.0, kInf, 1.0, 0.0, 0.0, 0.0}));

TEST_F(EngineTest, NaNAndInfiniteInputPixelsPassThroughFloatTextures)
{
    Frame frame(2, 1, 32);
    frame.input.fill(0.5, kNaN, kInf, -kInf);
    frame.input.set(1, 0, 0, kNaN);
    frame.input.set(1, 0, 1, -7.0);
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    /* the output turns NaN into 0, so the shader marks what the texture held */
    ASSERT_EQ(render(frame, "void main(){ vec4 c = getColor(uv);"
                            " outColor = vec4(isnan(c.r) ? 2.0 : c.r, c.gb, isnan(c.a) ? 0.25 : c.a); }"), "");
    EXPECT_EQ(frame.output.get(0, 0, 0), 0.5);
    EXPECT_EQ(frame.output.get(0, 0, 1), 2.0) << "NaN red reached the shader";
    EXPECT_EQ(frame.output.get(0, 0, 2), kInf);
    EXPECT_EQ(frame.output.get(0, 0, 3), -kInf);
    EXPECT_EQ(frame.output.get(1, 0, 0), 0.25) << "NaN alpha reached the shader";
    EXPECT_EQ(frame.output.get(1, 0, 1), -7.0);
}

} // namespace
