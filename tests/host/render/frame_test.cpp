// Whole frames through the built plug-in: the Shadertoy gradient at every
// depth, compile errors in the debug log, languages, layers and odd sizes.
#include "common/render_fixture.h"
#include "engine/sampler_modes.h"

#include <cmath>
#include <limits>

namespace {

const char *kGradient =
    "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n"
    "{\n"
    "    fragColor = vec4(fragCoord / iResolution.xy, 0.0, 1.0);\n"
    "}\n";

// Host value of a [0, 1] channel as the plug-in writes it: clamped, scaled
// and truncated.
double hostValue(double v, int depth)
{
    double scale = depth == 8 ? 255.0 : 32768.0;
    return std::trunc(std::min(std::max(v, 0.0), 1.0) * scale);
}

double channel(const qvh::World &w, A_long x, A_long y, int c)  /* c: 0 alpha, 1 red, 2 green, 3 blue */
{
    const unsigned char *p = w.pixelAddress(x, y);
    if (w.depth() == 8)
        return p[c];
    if (w.depth() == 16)
        return reinterpret_cast<const uint16_t *>(p)[c];
    return reinterpret_cast<const float *>(p)[c];
}

// Counts pixels off the gradient; red is (x + 0.5) / W, green (row from the
// bottom + 0.5) / H.
long gradientMismatches(const qvh::World &w, double tolerance)
{
    long bad = 0;
    const double width = w.width(), height = w.height();
    for (A_long y = 0; y < w.height(); ++y) {
        double g = (height - 1 - y + 0.5) / height;
        for (A_long x = 0; x < w.width(); ++x) {
            double r = (x + 0.5) / width;
            double expected[4] = {1.0, r, g, 0.0};
            for (int c = 0; c < 4; ++c) {
                double want = w.depth() == 32 ? expected[c] : hostValue(expected[c], w.depth());
                if (std::fabs(channel(w, x, y, c) - want) > tolerance)
                    ++bad;
            }
        }
    }
    return bad;
}

// Counts pixels of `w` (8 or 16 bits) that are not the exact conversion of
// the float frame `f`: clamped, scaled and truncated.
long conversionMismatches(const qvh::World &w, const qvh::World &f)
{
    long bad = 0;
    for (A_long y = 0; y < w.height(); ++y)
        for (A_long x = 0; x < w.width(); ++x)
            for (int c = 0; c < 4; ++c)
                bad += channel(w, x, y, c) != hostValue(channel(f, x, y, c), w.depth());
    return bad;
}

class FrameTest : public RenderTest {
protected:
    std::shared_ptr<qvh::World> renderGradient(int depth, A_long width = 1920, A_long height = 1080)
    {
        setLanguage(qv::Language::Shadertoy);
        setCode(kGradient);
        qvh::Composition comp;
        comp.width = width, comp.height = height, comp.depth = depth;
        comp.outputPadding = 24;
        qvh::FrameResult r = render(comp);
        EXPECT_EQ(r.err(), PF_Err_NONE) << depth << " " << r.message;
        EXPECT_TRUE(r.output) << depth;
        return r.output;
    }
};

// At 8 bits no exact red or green value of a 1920 x 1080 gradient lies on a
// step, so the frame must be the exact one. At 16 bits some do (x = 67 gives
// exactly 1152), where the GPU's interpolated coordinate decides the side:
// there the frame must be the exact conversion of the float frame, which is
// itself within 1e-5 of the gradient, and never off the exact one by a step.
TEST_F(FrameTest, ShadertoyGradientMatchesEveryPixelAtEveryDepth)
{
    std::shared_ptr<qvh::World> f = renderGradient(32), w8 = renderGradient(8), w16 = renderGradient(16);
    ASSERT_TRUE(f && w8 && w16);
    EXPECT_EQ(f->width(), 1920);
    EXPECT_EQ(f->height(), 1080);
    EXPECT_EQ(gradientMismatches(*f, 1e-5), 0);
    EXPECT_EQ(gradientMismatches(*w8, 0.0), 0);
    EXPECT_EQ(conversionMismatches(*w8, *f), 0);
    EXPECT_EQ(conversionMismatches(*w16, *f), 0);
    EXPECT_EQ(gradientMismatches(*w16, 1.0), 0);
    EXPECT_TRUE(logScripts().empty());
}

TEST_F(FrameTest, CompileErrorsReachTheLogFragmentMessageFirst)
{
    openDebugWindow();
    setCode("void main(){ outColor = vec4(1.0) }");
    qvh::Composition comp;
    comp.width = 64, comp.height = 32;
    qvh::FrameResult r = render(comp);
    EXPECT_EQ(r.err(), PF_Err_NONE);
    std::vector<std::string> logs = logScripts();
    ASSERT_EQ(logs.size(), 1u);
    const std::string &log = logs[0];
    EXPECT_EQ(log.rfind("if(_QUORVEL_log) _QUORVEL_log('ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\\n", 0), 0u) << log;
    std::size_t link = log.find("ERROR::SHADER::PROGRAM::LINKING_FAILED\\n");
    EXPECT_NE(link, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 3), "');");
    for (A_long y = 0; y < r.output->height(); ++y)
        for (A_long x = 0; x < r.output->width(); ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(channel(*r.output, x, y, c), 0.0);  /* cleared, nothing drawn */
}

TEST_F(FrameTest, CompileErrorsWithDebugOffOrNoWindowLogNothing)
{
    setCode("void main(){ broken");
    qvh::Composition comp;
    comp.width = 16, comp.height = 16;
    EXPECT_EQ(render(comp).err(), PF_Err_NONE);
    setCheckbox(3, true);  /* Debug on, window never opened */
    EXPECT_EQ(render(comp).err(), PF_Err_NONE);
    EXPECT_TRUE(logScripts().empty());
}

TEST_F(FrameTest, AFailingLogCallIsTheRenderResult)
{
    openDebugWindow();
    setCode("nonsense");
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_GENERIC);
    qvh::Composition comp;
    comp.width = 8, comp.height = 8;
    EXPECT_EQ(render(comp).renderErr, A_Err_GENERIC);
}

TEST_F(FrameTest, DefaultCodePassesTheInputThroughWithPaddingAndOrigins)
{
    /* nearest pixel: texel centres come through unblended */
    setPopup(qv::kMagFilterParam, qv::PopupValueOfCode(qv::kFilterNearest));
    setPopup(qv::kMinFilterParam, qv::PopupValueOfCode(qv::kFilterNearest));
    for (int depth : {8, 16, 32}) {
        qvh::Composition comp;
        comp.depth = depth;
        comp.setLayer(-1, qvh::testPattern(300, 200), 40);
        const_cast<qvh::World &>(*comp.input).setOrigin(7, 3);
        comp.outputPadding = 12;
        qvh::FrameResult r = render(comp);
        ASSERT_EQ(r.err(), PF_Err_NONE);
        ASSERT_EQ(r.output->width(), 300);
        /* 16-bit layers go through RGBA16 textures, whose 65535 steps can
           lose one of the host's 32768 on the way back */
        double tolerance = depth == 16 ? 1.0 : 0.0;
        long bad = 0;
        for (A_long y = 0; y < 200; ++y)
            for (A_long x = 0; x < 300; ++x)
                for (int c = 0; c < 4; ++c)
                    bad += std::fabs(channel(*r.output, x, y, c) - channel(*comp.input, x, y, c)) > tolerance;
        EXPECT_EQ(bad, 0) << depth;
    }
}

TEST_F(FrameTest, LanguagesOutsideTheListClearTheFrameAndRunNothing)
{
    openDebugWindow();
    setCode("void main(){ broken");
    for (int popup : {0, 4, 100, -7}) {
        setPopup(qv::kLanguageParam, popup);
        qvh::Composition comp;
        comp.width = 10, comp.height = 10;
        qvh::FrameResult r = render(comp);
        EXPECT_EQ(r.err(), PF_Err_NONE) << popup;
        ASSERT_TRUE(r.output);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(channel(*r.output, 5, 5, c), 0.0) << popup;
    }
    EXPECT_TRUE(logScripts().empty());
}

TEST_F(FrameTest, LuaMessageReachesTheLog)
{
    openDebugWindow();
    setLanguage(qv::Language::Lua);
    setCode("return 'hello ' .. math.floor(width)");
    qvh::Composition comp;
    comp.width = 12, comp.height = 4;
    qvh::FrameResult r = render(comp);
    EXPECT_EQ(r.err(), PF_Err_NONE);
    std::vector<std::string> logs = logScripts();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0], "if(_QUORVEL_log) _QUORVEL_log('hello 12');");
}

TEST_F(FrameTest, OnlySwitchedOnLayersAreRequestedAndRead)
{
    setCode("void main(){ outColor = getColor(3, uv) + getColor(5, uv); }");
    qvh::Composition comp;
    comp.width = 32, comp.height = 16;
    qvh::Image red(32, 16), green(64, 8);
    for (int i = 0; i < 32 * 16; ++i)
        red.rgba[i * 4] = 1, red.rgba[i * 4 + 3] = 1;
    for (int i = 0; i < 64 * 8; ++i)
        green.rgba[i * 4 + 1] = 1;
    comp.setLayer(3, red);
    comp.setLayer(5, green);
    setCheckbox(93 + 3, true);
    qvh::FrameResult r = render(comp);
    ASSERT_EQ(r.err(), PF_Err_NONE);
    std::vector<A_long> expected = {0, 106};
    EXPECT_EQ(r.pixelCheckouts, expected);
    ASSERT_EQ(r.layerCheckouts.size(), 2u);
    EXPECT_EQ(r.layerCheckouts[1].index, 106);
    EXPECT_EQ(channel(*r.output, 4, 4, 1), 255);  /* red from layer 3 */
    EXPECT_EQ(channel(*r.output, 4, 4, 2), 0);    /* layer 5 not loaded */
}

TEST_F(FrameTest, ALoadedLayerWithNoLayerChosenIsNull)
{
    setCheckbox(93, true);
    qvh::Composition comp;
    comp.width = 8, comp.height = 8;
    qvh::FrameResult r = render(comp);
    EXPECT_EQ(r.err(), PF_Err_NONE);
    ASSERT_EQ(r.pixelWorlds.size(), 2u);
    EXPECT_EQ(r.pixelWorlds[1], nullptr);
}

TEST_F(FrameTest, OddFrameSizesEndCleanly)
{
    const struct { A_long w, h; } sizes[] = {{0, 0}, {1, 1}, {5000, 3000}};
    for (auto s : sizes) {
        std::shared_ptr<qvh::World> f = renderGradient(32, s.w, s.h), w = renderGradient(16, s.w, s.h);
        ASSERT_TRUE(f && w);
        EXPECT_EQ(w->width(), s.w);
        EXPECT_EQ(gradientMismatches(*f, 1e-5), 0) << s.w << "x" << s.h;
        EXPECT_EQ(conversionMismatches(*w, *f), 0) << s.w << "x" << s.h;
    }
}

TEST_F(FrameTest, EmptyCodeAndCodeWithANulAreHandedOnUnchanged)
{
    openDebugWindow();
    setCode("");
    qvh::Composition comp;
    comp.width = 4, comp.height = 4;
    EXPECT_EQ(render(comp).err(), PF_Err_NONE);
    ASSERT_EQ(logScripts().size(), 1u);  /* no main: the program cannot be made */
    EXPECT_NE(logScripts()[0].find("ERROR::SHADER::"), std::string::npos) << logScripts()[0];
    setCode(std::string("void main(){ outColor = vec4(1.0); }\0 trailing junk", 51));
    qvh::FrameResult r = render(comp);
    EXPECT_EQ(r.err(), PF_Err_NONE);
    EXPECT_EQ(logScripts().size(), 1u);  /* the text ends at the NUL */
    EXPECT_EQ(channel(*r.output, 1, 1, 1), 255);
}

TEST_F(FrameTest, NanAndInfinitePixelsStayInRangeBelowThirtyTwoBits)
{
    setCode("void main(){ float z = 0.0; outColor = vec4(z / z, 1.0 / z, -1.0 / z, 0.5); }");
    for (int depth : {8, 16, 32}) {
        qvh::Composition comp;
        comp.width = 4, comp.height = 4, comp.depth = depth;
        qvh::FrameResult r = render(comp);
        ASSERT_EQ(r.err(), PF_Err_NONE);
        if (depth == 32) {
            EXPECT_TRUE(std::isinf(channel(*r.output, 0, 0, 2)));
            continue;
        }
        double full = depth == 8 ? 255 : 32768;
        EXPECT_EQ(channel(*r.output, 0, 0, 2), full);
        EXPECT_EQ(channel(*r.output, 0, 0, 3), 0);
    }
}

} // namespace
