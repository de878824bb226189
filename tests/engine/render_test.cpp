// Whole passes: pixels of known shaders at every depth, tiles, frame sizes.
#include "common/engine_fixture.h"

#include "translate/shadertoy_wrap.h"

namespace {

const char kUvGradient[] = "void main(){ outColor = vec4(uv, 0.25, 1.0); }";

// Checks the gradient vec4(uv, 0.25, 1): red grows left to right, green from
// the bottom host row up; exact at 8 and 16 bits, within 1e-5 at 32.
void expectUvGradient(const Frame &frame, int depth)
{
    int w = frame.output.width(), h = frame.output.height();
    double tolerance = depth == 32 ? 1e-5 : 0.0;
    int bad = 0;
    for (int row = 0; row < h && bad < 10; ++row) {
        int y = h - 1 - row;  /* frame row y is host row h - 1 - y */
        for (int x = 0; x < w && bad < 10; ++x) {
            float u = static_cast<float>((x + 0.5) / w), v = static_cast<float>((y + 0.5) / h);
            double want[4] = {hostValue(1.0f, depth), hostValue(u, depth), hostValue(v, depth),
                              hostValue(0.25f, depth)};
            for (int c = 0; c < 4; ++c) {
                double got = frame.output.get(x, row, c);
                if (std::fabs(got - want[c]) > tolerance) {
                    ADD_FAILURE() << "pixel (" << x << ", " << row << ") channel " << c << ": "
                                  << got << " instead of " << want[c];
                    ++bad;
                }
            }
        }
    }
}

class DepthTest : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(DepthTest, RendersUvGradientExactly)
{
    Frame frame(301, 203, GetParam());
    EXPECT_EQ(render(frame, kUvGradient), "");
    expectUvGradient(frame, GetParam());
    EXPECT_TRUE(frame.output.paddingIntact());
}

// True when a channel is right: exact, or within 1e-5 at 32 bits. At 16 bits
// a value whose exact product with 32768 is a whole number k may also be k - 1:
// the shader's uv (interpolated across a tile) and its division are each
// allowed an ulp, and truncation turns k - 1ulp into k - 1. At 8 bits no pixel
// of these gradients sits on a whole number.
bool channelMatches(double got, double exact, int depth)
{
    if (depth == 32)
        return std::fabs(got - exact) <= 1e-5;
    double scaled = exact * fullScale(depth);
    double want = std::floor(std::min(scaled, fullScale(depth)));
    if (got == want)
        return true;
    return depth == 16 && scaled == want && got == want - 1;
}

// "Done when" of issue 4: the Shadertoy gradient at 1920 x 1080, wrapped as
// the render driver wraps it, with the engine's 2 x 2 tiles.
TEST_P(DepthTest, RendersShadertoyGradientAt1080p)
{
    Frame frame(1920, 1080, GetParam(), 0);
    std::string code =
        "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n"
        "{\n    fragColor = vec4(fragCoord / iResolution.xy, 0.0, 1.0);\n}\n";
    qv::wrapShadertoyCode(code);
    EXPECT_EQ(render(frame, code), "");
    int w = 1920, h = 1080, depth = GetParam(), bad = 0, onBoundary = 0;
    for (int row = 0; row < h && bad < 10; ++row)
        for (int x = 0; x < w && bad < 10; ++x) {
            double exact[4] = {1.0, (x + 0.5) / w, (h - 1 - row + 0.5) / h, 0.0};
            for (int c = 0; c < 4; ++c) {
                double got = frame.output.get(x, row, c);
                if (!channelMatches(got, exact[c], depth)) {
                    ADD_FAILURE() << "pixel (" << x << ", " << row << ") channel " << c << ": "
                                  << got << " for " << exact[c];
                    ++bad;
                } else if (depth != 32 && got != std::floor(exact[c] * fullScale(depth))) {
                    ++onBoundary;
                }
            }
        }
    RecordProperty("boundaryChannelsOneLower", onBoundary);
}

TEST_P(DepthTest, PassesInputThroughWithNearestSampling)
{
    int depth = GetParam();
    Frame frame(67, 45, depth);
    for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 67; ++x)
            for (int c = 0; c < 4; ++c)
                frame.input.set(x, y, c, depth == 8 ? (x * 7 + y * 3 + c * 50) % 256
                                         : depth == 16 ? (x * 331 + y * 97 + c * 5000) % 16384
                                                       : (x - 30) * 0.05 + y * 0.01 + c);
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    EXPECT_EQ(render(frame, "void main(){ outColor = getColor(uv); }"), "");
    for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 67; ++x)
            for (int c = 0; c < 4; ++c) {
                double in = frame.input.get(x, y, c);
                if (depth == 32 && c == 0)
                    in = std::min(1.0, std::max(0.0, in));  /* alpha alone is clamped */
                ASSERT_NEAR(frame.output.get(x, y, c), in, depth == 32 ? 1e-6 : 0.0)
                    << x << "," << y << "," << c;
            }
}

INSTANTIATE_TEST_SUITE_P(Depths, DepthTest, ::testing::Values(8, 16, 32));

} // namespace
