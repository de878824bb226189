// Every Shadertoy input and idiom through the engine with both wrappings:
// the values each one reads, which wrapping compiled it, and how many
// compiles each code costs.
#include "common/engine_fixture.h"
#include "host/shadertoy_wrapping.h"
#include "translate/identifier_rewrite.h"
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <array>

namespace {

using Need = qv::WrappingMemory::Need;
using Rgba = std::array<double, 4>;

constexpr int kWidth = 4, kHeight = 2;

// Time 2.5 s at 24 fps (frame 60), point 0 at (3, 1), layer 0 of 3 x 1 pixels
// filled with (0.25, 0.5, 0.75, 1.0). Values are read from red, green and
// blue: the engine keeps alpha within 0 to 1.
struct ShadertoyFrame : Frame {
    ShadertoyFrame() : Frame(kWidth, kHeight, 32), layer(3, 1, 32)
    {
        ctx.time = 2.5;
        ctx.fps = 24.0;
        params.points[0][0] = 3.0;
        params.points[0][1] = 1.0;
        layer.fill(1.0, 0.25, 0.5, 0.75);
        ctx.layerWorlds[0] = layer.world();
    }

    Rgba pixel(int x = 0, int y = 0) const
    {
        return {output.get(x, y, 1), output.get(x, y, 2), output.get(x, y, 3), output.get(x, y, 0)};
    }

    HostBuffer layer;
};

// A pass on `engine` into `frame`, as the render driver runs it, counted.
qv::ShadertoyPass countedPass(qv::GLSLCore &engine, Frame &frame, size_t &passes)
{
    return [&engine, &frame, &passes](const std::string &source) {
        ++passes;
        qv::PassReport report = qv::RenderAndTakeErrors(engine, source, &frame.ctx, true);
        EXPECT_NE(report.result, qv::PassResult::Refused);
        EXPECT_NE(report.result, qv::PassResult::Stopped);
        return report;
    };
}

class ShadertoyInputs : public EngineTest {
protected:
    // The stored code as the edit-time conversion leaves it, rendered once.
    std::optional<std::string> run(ShadertoyFrame &frame, std::string code)
    {
        qv::ShadertoyTranslator(code);
        qv::PassReport report = qv::renderShadertoy(code, memory, countedPass(engine(), frame, passes));
        if (report.log.empty())
            return std::nullopt;
        return report.log;
    }

    qv::WrappingMemory memory;
    size_t passes = 0;  // one compile each
};

std::string body(const std::string &statements)
{
    return "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n{\n" + statements + "\n}\n";
}

struct InputCase {
    const char *name;
    const char *statements;
    Need need;        // the wrapping it needs; Ordinary ones compile in both
    bool buttonDown;  // "Checkbox 9"
    Rgba expected;
};

const InputCase kInputs[] = {
    {"resolution xy", "fragColor = vec4(iResolution.xy, 0.0, 1.0);", Need::Ordinary, false, {4, 2, 0, 1}},
    {"resolution as vec2, as stored projects use it", "vec2 r = iResolution; fragColor = vec4(r, 0.0, 1.0);",
     Need::Ordinary, false, {4, 2, 0, 1}},
    {"resolution z", "fragColor = vec4(iResolution.z, iResolution.xy, 1.0);", Need::Full, false, {1, 4, 2, 1}},
    {"resolution as vec3", "vec3 r = iResolution; fragColor = vec4(r, 1.0);", Need::Full, false, {4, 2, 1, 1}},
    {"time", "fragColor = vec4(iTime, 0.0, 0.0, 1.0);", Need::Ordinary, false, {2.5, 0, 0, 1}},
    {"global time", "fragColor = vec4(iGlobalTime, iTime, 0.0, 1.0);", Need::Full, false, {2.5, 2.5, 0, 1}},
    {"time delta", "fragColor = vec4(iTimeDelta * 24.0, 0.0, 0.0, 1.0);", Need::Ordinary, false, {1, 0, 0, 1}},
    {"time delta and frame rate", "fragColor = vec4(iTimeDelta * 24.0, iFrameRate, 0.0, 1.0);", Need::Full, false,
     {1, 24, 0, 1}},
    {"frame as float", "fragColor = vec4(iFrame, 0.0, 0.0, 1.0);", Need::Ordinary, false, {60, 0, 0, 1}},
    {"frame modulo", "fragColor = vec4(float(iFrame % 7), 0.0, 0.0, 1.0);", Need::Full, false, {4, 0, 0, 1}},
    {"frame as int", "int f = iFrame; fragColor = vec4(float(f), 0.0, 0.0, 1.0);", Need::Full, false, {60, 0, 0, 1}},
    {"mouse xy", "fragColor = vec4(iMouse.xy, 0.0, 1.0);", Need::Ordinary, false, {3, 1, 0, 1}},
    {"mouse released", "fragColor = vec4(iMouse.zw, iMouse.x, 1.0);", Need::Full, false, {-3, -1, 3, 1}},
    {"mouse held", "vec4 m = iMouse; fragColor = vec4(m.zw, m.y, 1.0);", Need::Full, true, {3, 1, 1, 1}},
    {"mouse button test", "fragColor = vec4(iMouse.z > 0.0 ? 1.0 : 0.5, 0.0, 0.0, 1.0);", Need::Full, false,
     {0.5, 0, 0, 1}},
    {"date", "fragColor = vec4(iDate.xyz, 1.0);", Need::Full, false, {2000, 0, 1, 1}},
    {"date seconds", "fragColor = vec4(iDate.w, 0.0, 0.0, 1.0);", Need::Full, false, {2.5, 0, 0, 1}},
    {"sample rate", "fragColor = vec4(iSampleRate, 0.0, 0.0, 1.0);", Need::Full, false, {44100, 0, 0, 1}},
    {"channel", "fragColor = texture(iChannel0, vec2(0.5));", Need::Ordinary, false, {0.25, 0.5, 0.75, 1}},
    {"channel resolution xy", "fragColor = vec4(iChannelResolution[0].xy, 0.0, 1.0);", Need::Ordinary, false,
     {3, 1, 0, 1}},
    {"channel resolution z", "fragColor = vec4(iChannelResolution[0], 1.0);", Need::Full, false, {3, 1, 1, 1}},
    {"channel resolution by variable", "int i = 0; fragColor = vec4(iChannelResolution[i].xy, 0.0, 1.0);",
     Need::Full, false, {3, 1, 0, 1}},
    {"channel time", "fragColor = vec4(iChannelTime[1], 0.0, 0.0, 1.0);", Need::Ordinary, false, {2.5, 0, 0, 1}},
    {"channel time by variable", "int i = 2; fragColor = vec4(iChannelTime[i], 0.0, 0.0, 1.0);", Need::Full, false,
     {2.5, 0, 0, 1}},
    {"WebGL 1 extension directive", "#extension GL_OES_standard_derivatives : enable\n"
     "fragColor = vec4(fwidth(fragCoord.x), 0.5, 0.25, 1.0);", Need::Full, false, {1, 0.5, 0.25, 1}},
    {"an input hidden by a macro", "#define iResolution vec3(8.0, 6.0, 1.0)\nfragColor = vec4(iResolution, 1.0);",
     Need::Full, false, {8, 6, 1, 1}},
    {"names GLSL ES 3.00 leaves free", "float shared = 0.5, buffer = 0.25; vec2 packed = vec2(2.0);\n"
     "fragColor = vec4(shared, buffer, packed.x, 1.0);", Need::Full, false, {0.5, 0.25, 2, 1}},
    {"hardware performance", "#if HW_PERFORMANCE == 1\nfragColor = vec4(1.0);\n#else\nfragColor = vec4(0.0);\n#endif\n"
     "fragColor *= iResolution.z;",
     Need::Full, false, {1, 1, 1, 1}},
};

TEST_F(ShadertoyInputs, EachInputReadsItsValueWithTheWrappingItNeeds)
{
    for (const InputCase &c : kInputs) {
        SCOPED_TRACE(c.name);
        ShadertoyFrame frame;
        frame.params.checkboxes[9] = c.buttonDown ? 1.0 : 0.0;
        std::string code = body(c.statements);
        EXPECT_EQ(run(frame, code), std::nullopt);
        EXPECT_EQ(frame.pixel(), c.expected);
        qv::ShadertoyTranslator(code);
        EXPECT_EQ(memory.need(code), c.need == Need::Ordinary ? Need::Ordinary : Need::Full);
        EXPECT_EQ(passes, c.need == Need::Ordinary ? 1u : 2u);
        passes = 0;
    }
}

// Inputs that compile with the ordinary wrapping read the same with the full one.
TEST_F(ShadertoyInputs, OrdinaryInputsReadTheSameWithTheFullWrapping)
{
    for (const InputCase &c : kInputs) {
        if (c.need != Need::Ordinary || std::string(c.statements).find("vec2 r = iResolution") != std::string::npos)
            continue;
        SCOPED_TRACE(c.name);
        ShadertoyFrame frame;
        std::string code = body(c.statements);
        qv::ShadertoyTranslator(code);
        qv::wrapShadertoyCodeFull(code);
        EXPECT_EQ(render(frame, code), "");
        EXPECT_EQ(frame.pixel(), c.expected);
    }
}

// Core profiles may refuse the WebGL 1 names (this machine's compiler takes
// them); the full wrapping maps them to their GLSL 1.30 names.
TEST_F(ShadertoyInputs, FullWrappingMapsWebGl1TextureNames)
{
    for (const char *statements : {"fragColor = texture2D(iChannel0, vec2(0.5));",
                                   "fragColor = texture2DLod(iChannel0, vec2(0.5), 0.0);"}) {
        SCOPED_TRACE(statements);
        ShadertoyFrame frame;
        std::string code = body(statements);
        qv::ShadertoyTranslator(code);
        qv::wrapShadertoyCodeFull(code);
        EXPECT_EQ(render(frame, code), "");
        EXPECT_EQ(frame.pixel(), (Rgba{0.25, 0.5, 0.75, 1}));
    }
}

// The sign of zw is the button's state wherever point 0 is.
TEST_F(ShadertoyInputs, MouseSignIsTheButtonState)
{
    for (bool held : {false, true}) {
        ShadertoyFrame frame;
        frame.params.points[0][0] = -2.0;
        frame.params.points[0][1] = 5.0;
        frame.params.checkboxes[9] = held ? 1.0 : 0.0;
        EXPECT_EQ(run(frame, body("fragColor = vec4(iMouse.zw, iMouse.x, 1.0);")), std::nullopt);
        double sign = held ? 1.0 : -1.0;
        EXPECT_EQ(frame.pixel(), (Rgba{2 * sign, 5 * sign, -2, 1})) << held;
    }
}

// Frames at 30 fps: iFrame counts them, rounding past the time's float error
// (frame 63's time times 30 lands just below 63 in single precision).
TEST_F(ShadertoyInputs, FrameCountsWholeFrames)
{
    for (int n : {0, 1, 2, 3, 63}) {
        ShadertoyFrame frame;
        frame.ctx.fps = 30.0;
        frame.ctx.time = n / 30.0;
        EXPECT_EQ(run(frame, body("fragColor = vec4(float(iFrame), float(iFrame % 2), 0.0, 1.0);")), std::nullopt);
        EXPECT_EQ(frame.pixel(), (Rgba{double(n), double(n % 2), 0, 1}));
    }
}

TEST_F(ShadertoyInputs, DateFollowsTheFrameTimeAcrossDays)
{
    ShadertoyFrame frame;
    frame.ctx.time = 86400.0 + 30.0;
    EXPECT_EQ(run(frame, body("fragColor = vec4(iDate.zw, iDate.y, 1.0);")), std::nullopt);
    EXPECT_EQ(frame.pixel(), (Rgba{2, 30, 0, 1}));
}

const char *kOrdinaryCode =
    "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n"
    "{\n"
    "    vec2 r = iResolution;\n"
    "    fragColor = vec4(fragCoord / r, sin(iTime + iFrame), 1.0);\n"
    "}\n";

TEST_F(ShadertoyInputs, CodeThatCompilesTodayRendersTheSameBytesWithOneCompile)
{
    ShadertoyFrame direct;
    std::string wrapped = kOrdinaryCode;
    qv::wrapShadertoyCode(wrapped);
    ASSERT_EQ(render(direct, wrapped), "");
    for (int i = 0; i < 3; ++i) {
        ShadertoyFrame frame;
        EXPECT_EQ(run(frame, kOrdinaryCode), std::nullopt);
        EXPECT_EQ(frame.output.bytes(), direct.output.bytes());
        EXPECT_EQ(qv::EngineProbe(engine())->fragmentSource, qv::makeFragmentSource(wrapped, 330));
    }
    EXPECT_EQ(passes, 3u);
    EXPECT_EQ(memory.size(), 0u);
}

TEST_F(ShadertoyInputs, FullCodeFailsOnceThenCompilesOncePerFrame)
{
    std::string code = body("fragColor = vec4(iResolution / iResolution.z, 1.0);");
    for (int i = 0; i < 3; ++i) {
        ShadertoyFrame frame;
        EXPECT_EQ(run(frame, code), std::nullopt);
        EXPECT_EQ(frame.pixel(), (Rgba{4, 2, 1, 1}));
    }
    EXPECT_EQ(passes, 4u);
}

TEST_F(ShadertoyInputs, WhenBothFailTheOrdinaryMessagesAreReportedAndOneCompileFollows)
{
    std::string code = body("fragColor = vec4(iResolution.z) + undeclared;");
    ShadertoyFrame direct;
    std::string wrapped = code;
    qv::ShadertoyTranslator(wrapped);
    qv::wrapShadertoyCode(wrapped);
    std::string ordinaryLog = render(direct, wrapped);
    ASSERT_EQ(ordinaryLog.rfind("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n", 0), 0u);
    for (int i = 0; i < 3; ++i) {
        ShadertoyFrame frame;
        EXPECT_EQ(run(frame, code), ordinaryLog);
        EXPECT_EQ(frame.pixel(), (Rgba{0, 0, 0, 0}));
    }
    EXPECT_EQ(passes, 4u);
    EXPECT_FALSE(engine().hasError());
}

// A failure that is not a compile error (here the staging buffer) is the
// ordinary pass's, reported at once: the full wrapping would not help.
TEST_F(ShadertoyInputs, OtherFailuresDoNotTryTheFullWrapping)
{
    qv::GLSLCore fresh;  /* no staging buffer yet */
    qv::setEngineFault(qv::EngineFault::StagingAlloc, true);
    ShadertoyFrame frame;
    qv::PassReport report = qv::renderShadertoy(body("fragColor = vec4(1.0);"), memory, countedPass(fresh, frame, passes));
    EXPECT_EQ(report.result, qv::PassResult::Ran);
    EXPECT_EQ(report.log, "GLSL Core error : Memory not enough.\n");
    EXPECT_EQ(passes, 1u);
}

} // namespace
