// Parameter uniforms, layer textures on their units, sampler
// state, layers larger and smaller than the output, and output-as-input.
#include "common/engine_fixture.h"

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <ostream>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A shader expression for red, green and blue, the parameters it reads, and
// the three values expected back through a 32-bit output.
struct UniformCase {
    const char *name;
    const char *rgb;
    std::function<void(Frame &)> setUp;
    double r, g, b;
};

// Named by its name: gtest would otherwise print the case's raw bytes, the function's unused storage included.
void PrintTo(const UniformCase &c, std::ostream *os)
{
    *os << c.name;
}

class UniformTest : public EngineTest, public ::testing::WithParamInterface<UniformCase> {};

TEST_P(UniformTest, ReachesTheShader)
{
    Frame frame(6, 4, 32);
    GetParam().setUp(frame);
    std::string code = std::string("void main(){ outColor = vec4(") + GetParam().rgb + ", 1.0); }";
    ASSERT_EQ(render(frame, code), "");
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_FLOAT_EQ(frame.output.get(x, y, 1), GetParam().r);
            EXPECT_FLOAT_EQ(frame.output.get(x, y, 2), GetParam().g);
            EXPECT_FLOAT_EQ(frame.output.get(x, y, 3), GetParam().b);
        }
}

INSTANTIATE_TEST_SUITE_P(Uniforms, UniformTest, ::testing::Values(
    UniformCase{"Sliders", "slider[0], slider[4], slider[9]",
                [](Frame &f) { f.params.sliders[0] = 1.5; f.params.sliders[4] = -2.25; f.params.sliders[9] = 1e6; },
                1.5, -2.25, 1e6},
    UniformCase{"Angles", "angle[0], angle[5], angle[9]",
                [](Frame &f) { f.params.angles[0] = 90; f.params.angles[5] = -720.5; f.params.angles[9] = 0.1; },
                90, -720.5, static_cast<float>(0.1)},
    UniformCase{"CheckboxesZeroNegativeZeroNaN",
                "checkbox[0] ? 1.0 : 0.0, checkbox[1] ? 1.0 : 0.0, checkbox[2] ? 1.0 : 0.0",
                [](Frame &f) { f.params.checkboxes[0] = 0.0; f.params.checkboxes[1] = -0.0; f.params.checkboxes[2] = kNaN; },
                0, 0, 1},
    UniformCase{"CheckboxesSet", "checkbox[3] ? 1.0 : 0.0, checkbox[9] ? 1.0 : 0.0, checkbox[8] ? 1.0 : 0.0",
                [](Frame &f) { f.params.checkboxes[3] = 1.0; f.params.checkboxes[9] = -3.0; },
                1, 1, 0},
    UniformCase{"Points", "point[3], point[9].y",
                [](Frame &f) { f.params.points[3][0] = 960.5; f.params.points[3][1] = -540; f.params.points[9][1] = 7; },
                960.5, -540, 7},
    UniformCase{"Points3d", "point3d[7]",
                [](Frame &f) { f.params.points3d[7][0] = 1; f.params.points3d[7][1] = -2; f.params.points3d[7][2] = 3.5; },
                1, -2, 3.5},
    UniformCase{"ColorsRgb", "color[2].rgb",
                [](Frame &f) { f.params.colors[2][0] = 1.0; f.params.colors[2][1] = 0.0; f.params.colors[2][2] = 128 / 255.0; },
                1.0, 0.0, static_cast<float>(128 / 255.0)},
    UniformCase{"ColorAlphaIsAlwaysOne", "color[2].a, color[5].a, 0.0",
                [](Frame &f) { f.params.colors[2][3] = 0.25; f.params.colors[5][3] = 0.0; },
                1, 1, 0},
    UniformCase{"TimeFpsWidth", "time, fps, width",
                [](Frame &f) { f.ctx.time = 2.5; f.ctx.fps = 29.97; },
                2.5, static_cast<float>(29.97), 6},
    UniformCase{"HeightAndOrigin", "height, origin",
                [](Frame &f) { f.input.world()->origin_x = -12; f.input.world()->origin_y = 34; },
                4, -12, 34},
    UniformCase{"ResolutionIsTheInputsSize", "resolution, 0.0",
                [](Frame &) {}, 6, 4, 0},
    UniformCase{"UnsetLayerHasZeroResolution", "layerResolution[0], layerResolution[9].x",
                [](Frame &) {}, 0, 0, 0}),
    [](const ::testing::TestParamInfo<UniformCase> &info) { return std::string(info.param.name); });

// Layers of one solid colour each, for unit checks.
struct Layers {
    explicit Layers(int width, int height, int depth)
    {
        for (int i = 0; i < 10; ++i) {
            buffers.emplace_back(new HostBuffer(width, height, depth));
            buffers.back()->fill(255, i * 20, 255 - i * 20, 7 * i);
        }
    }
    std::vector<std::unique_ptr<HostBuffer>> buffers;
};

// The layer id comes from a uniform: an index that differs between pixels of
// one draw is not dynamically uniform, and Mesa then samples the wrong unit.
TEST_F(EngineTest, EachLayerIsOnItsOwnUnit)
{
    Frame frame(3, 2, 8);
    Layers layers(3, 3, 8);
    for (int i = 0; i < 10; ++i)
        frame.ctx.layerWorlds[i] = layers.buffers[i]->world();
    frame.input.fill(255, 1, 2, 3);
    const char *code = "void main(){ outColor = getColor(int(slider[0]), vec2(0.5)); }";
    for (int id = -1; id < 12; ++id) {
        frame.params.sliders[0] = id;
        ASSERT_EQ(render(frame, code), "");
        double want[4] = {255, id * 20.0, 255 - id * 20.0, 7.0 * id};
        if (id == -1 || id == 11)  /* the input, then an unknown id: vec4(0.0) */
            want[0] = id == -1 ? 255 : 0, want[1] = id == -1 ? 1 : 0, want[2] = id == -1 ? 2 : 0,
            want[3] = id == -1 ? 3 : 0;
        if (id == 10)
            continue;  /* not a layer either: checked as 11 */
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(frame.output.get(1, 1, c), want[c]) << "layer " << id << " channel " << c;
    }
}

TEST_F(EngineTest, OutputLayerWithoutOutputAsInputSamplesTheInput)
{
    Frame frame(4, 4, 8);
    frame.input.fill(200, 10, 20, 30);
    frame.output.fill(100, 40, 50, 60);
    ASSERT_EQ(render(frame, "void main(){ outColor = getColor(OUTPUT_LAYER_INDEX, uv); }"), "");
    EXPECT_EQ(frame.output.get(2, 2, 0), 200);
    EXPECT_EQ(frame.output.get(2, 2, 1), 10);
}

// Pattern: red and green hold the host column and row (at 8 bits scaled).
void fillCoordinates(HostBuffer &buffer, int depth)
{
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x) {
            buffer.set(x, y, 0, fullScale(depth));
            buffer.set(x, y, 1, depth == 32 ? x : x % 256);
            buffer.set(x, y, 2, depth == 32 ? y : y % 256);
            buffer.set(x, y, 3, depth == 32 ? 0.5 : 3);
        }
}

TEST_F(EngineTest, LargerLayerGivesItsTopLeftRegion)
{
    Frame frame(40, 30, 32);
    HostBuffer layer(100, 70, 32);
    fillCoordinates(layer, 32);
    frame.ctx.layerWorlds[4] = layer.world();
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    ASSERT_EQ(render(frame, "void main(){ outColor = vec4(getColor(4, uv).rg, layerResolution[4]); }"), "");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(frame.output.get(x, y, 1), x);
            ASSERT_EQ(frame.output.get(x, y, 2), y);
            ASSERT_EQ(frame.output.get(x, y, 3), 40);  /* layerResolution is the used size */
            ASSERT_EQ(frame.output.get(x, y, 0), 1.0);  /* alpha 30 clamped to 1 */
        }
}

TEST_F(EngineTest, SmallerLayerIsStretchedOverTheFrame)
{
    Frame frame(40, 30, 32);
    HostBuffer layer(20, 15, 32);
    fillCoordinates(layer, 32);
    frame.ctx.layerWorlds[9] = layer.world();
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    ASSERT_EQ(render(frame, "void main(){ outColor = vec4(getColor(9, uv).rg, layerResolution[9].y, 1.0); }"), "");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            ASSERT_EQ(frame.output.get(x, y, 1), x / 2) << x << "," << y;
            ASSERT_EQ(frame.output.get(x, y, 2), y / 2) << x << "," << y;
            ASSERT_EQ(frame.output.get(x, y, 3), 15);
        }
}

// GL's wrap of texel index i over n texels for one mode (0 repeat, 1 mirrored
// repeat, 2 clamp to edge, other values repeat).
int wrapTexel(double coord, int n, int mode)
{
    if (mode == 2)
        return std::min(std::max(static_cast<int>(std::floor(coord * n)), 0), n - 1);
    if (mode == 1) {
        double period = coord - 2.0 * std::floor(coord / 2.0);  /* into [0, 2) */
        double mirrored = period < 1.0 ? period : 2.0 - period;
        return std::min(static_cast<int>(std::floor(mirrored * n)), n - 1);
    }
    double fraction = coord - std::floor(coord);
    return static_cast<int>(std::floor(fraction * n)) % n;
}

struct WrapCase {
    int wrapU, wrapV;
};

class WrapTest : public EngineTest, public ::testing::WithParamInterface<WrapCase> {};

// Coordinates from -1 to 2 across the frame, nearest sampling, on a layer
// and on the input alike.
TEST_P(WrapTest, AppliesToLayersAndInputAlike)
{
    constexpr int n = 16;
    Frame frame(n, n, 32);
    HostBuffer layer(n, n, 32);
    fillCoordinates(layer, 32);
    fillCoordinates(frame.input, 32);
    frame.ctx.layerWorlds[0] = layer.world();
    frame.ctx.wrapU = GetParam().wrapU;
    frame.ctx.wrapV = GetParam().wrapV;
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    ASSERT_EQ(render(frame, "void main(){ vec2 c = uv * 3.0 - 1.0;"
                            " outColor = vec4(getColor(0, c).rg, getColor(c).rg); }"), "");
    for (int row = 0; row < n; ++row)
        for (int x = 0; x < n; ++x) {
            int y = n - 1 - row;  /* frame row */
            double u = (x + 0.5) / n * 3.0 - 1.0, v = (y + 0.5) / n * 3.0 - 1.0;
            int tx = wrapTexel(u, n, GetParam().wrapU);
            int ty = wrapTexel(v, n, GetParam().wrapV);
            int hostRow = n - 1 - ty;  /* texture row ty is host row n - 1 - ty */
            ASSERT_EQ(frame.output.get(x, row, 1), tx) << "layer u at " << x << "," << row;
            ASSERT_EQ(frame.output.get(x, row, 2), hostRow) << "layer v at " << x << "," << row;
            ASSERT_EQ(frame.output.get(x, row, 3), tx) << "input u at " << x << "," << row;
            ASSERT_EQ(frame.output.get(x, row, 0), hostRow > 0 ? 1.0 : 0.0);  /* input's row, as alpha */
        }
}

INSTANTIATE_TEST_SUITE_P(Modes, WrapTest, ::testing::Values(
    WrapCase{0, 0}, WrapCase{1, 1}, WrapCase{2, 2}, WrapCase{0, 2}, WrapCase{2, 1}, WrapCase{7, -1}));

// One row of texels whose red is the texel index, sampled at uv.x * scale
// with the given filters and wrap mode.
std::vector<double> sampleRow(int texels, int pixels, double scale, int wrap, int magFilter,
                              int minFilter)
{
    Frame frame(pixels, 1, 32);
    HostBuffer layer(texels, 1, 32);
    fillCoordinates(layer, 32);
    frame.ctx.layerWorlds[1] = layer.world();
    frame.ctx.wrapU = frame.ctx.wrapV = wrap;
    frame.ctx.magFilter = magFilter;
    frame.ctx.minFilter = minFilter;
    frame.params.sliders[0] = scale;
    EXPECT_EQ(EngineTest::engine().render(
                  "void main(){ outColor = vec4(getColor(1, uv * vec2(slider[0], 1.0)).r, 0.0, 0.0, 1.0); }",
                  &frame.ctx, true), qv::PassResult::Ran);
    EXPECT_EQ(drain(EngineTest::engine()), "");
    std::vector<double> reds;
    for (int x = 0; x < pixels; ++x)
        reds.push_back(frame.output.get(x, 0, 1));
    return reds;
}

// A 4-texel layer stretched over 16 pixels, clamped at the edges.
TEST_F(EngineTest, MagnifyFilterNearestOrLinear)
{
    std::vector<double> nearest = sampleRow(4, 16, 1.0, 2, 1, 0);
    std::vector<double> linear = sampleRow(4, 16, 1.0, 2, 0, 1);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(nearest[x], x / 4) << x;
        double t = (x + 0.5) / 4.0 - 0.5;  /* texel space, centres at whole numbers */
        double want = std::min(std::max(t, 0.0), 3.0);
        EXPECT_NEAR(linear[x], want, 1.0 / 128) << x;
    }
}

// 16 texels read at 4 texels a pixel (repeating): pixel x lands halfway
// between texels 4x + 1 and 4x + 2.
TEST_F(EngineTest, MinifyFilterNearestOrLinear)
{
    std::vector<double> nearest = sampleRow(16, 16, 4.0, 0, 0, 1);
    std::vector<double> linear = sampleRow(16, 16, 4.0, 0, 1, 0);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(nearest[x], (4 * x + 2) % 16) << x;
        EXPECT_NEAR(linear[x], (4 * x + 1) % 16 + 0.5, 1.0 / 64) << x;
    }
}

TEST_F(EngineTest, UnknownFilterValuesMeanLinear)
{
    EXPECT_EQ(sampleRow(4, 16, 1.0, 2, 5, -3), sampleRow(4, 16, 1.0, 2, 0, 0));
    EXPECT_EQ(sampleRow(16, 16, 4.0, 0, 1, 9), sampleRow(16, 16, 4.0, 0, 1, 0));
}

TEST_F(EngineTest, SixteenBitLayersKeepSixteenBitPrecision)
{
    Frame frame(64, 1, 16);
    for (int x = 0; x < 64; ++x)
        frame.input.fill(32768, 0, 0, 0);
    for (int x = 0; x < 64; ++x)
        frame.input.set(x, 0, 1, 1000 + x);  /* steps finer than 8 bits */
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    ASSERT_EQ(render(frame, "void main(){ outColor = getColor(uv); }"), "");
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(frame.output.get(x, 0, 1), 1000 + x) << x;
}

class OutputAsInputTest : public EngineTest, public ::testing::WithParamInterface<int> {};

// Each tile reads the output as it was when the pass began, also in tiles
// drawn after earlier tiles were written: a small window makes 3 x 3 tiles.
TEST_P(OutputAsInputTest, ReadsTheOutputAsItWasWhenThePassBegan)
{
    int depth = GetParam();
    qv::setEngineWindowSize(16, 12);
    qv::GLSLCore engine;
    ASSERT_EQ(qv::EngineProbe(engine)->fboWidth, 16);
    Frame frame(40, 30, depth);
    fillCoordinates(frame.output, depth);
    HostBuffer before = frame.output;
    frame.input.fill(0, 0, 0, 0);
    frame.ctx.useOutputAsInput = 1;
    frame.ctx.magFilter = frame.ctx.minFilter = 1;
    ASSERT_EQ(engine.render("void main(){ outColor = getColor(OUTPUT_LAYER_INDEX, vec2(1.0) - uv); }",
                            &frame.ctx, true), qv::PassResult::Ran);
    ASSERT_EQ(drain(engine), "");
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(frame.output.get(x, y, c), before.get(39 - x, 29 - y, c))
                    << x << "," << y << "," << c;
    EXPECT_TRUE(frame.output.paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Depths, OutputAsInputTest, ::testing::Values(8, 16, 32));

} // namespace
