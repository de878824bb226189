// The exact shader texts, the assembled source, compile and link
// messages, and what odd code does.
#include "common/engine_fixture.h"

#include "embedded/kFragmentPreludeText.h"
#include "translate/identifier_rewrite.h"
#include "translate/shadertoy_wrap.h"

#include <algorithm>

namespace {

const std::string kFill = "void main(){ outColor = vec4(0.2, 0.4, 0.6, 0.8); }";

// The prelude's functions as user code sees them: getColor reads the input
// by its index or without one and gives transparent black for an index that
// names no buffer; xy2uv undoes uv2xy.
TEST_F(EngineTest, PreludeFunctionsDoWhatTheySay)
{
    Frame frame(8, 4, 32);
    frame.input.fill(1.0, 0.25, 0.5, 0.75);
    const std::string code =
        "void main(){\n"
        "    vec4 none = getColor(10, uv) + getColor(-3, uv);\n"
        "    vec2 back = xy2uv(uv2xy(uv));\n"
        "    outColor = vec4(getColor(INPUT_LAYER_INDEX, uv).rg, getColor(uv).b,\n"
        "                    none.r + none.g + none.b + none.a + distance(back, uv));\n"
        "}\n";
    EXPECT_EQ(render(frame, code), "");
    for (int x : {0, 7}) {
        EXPECT_EQ(frame.output.get(x, 1, 1), 0.25) << x;
        EXPECT_EQ(frame.output.get(x, 1, 2), 0.5) << x;
        EXPECT_EQ(frame.output.get(x, 1, 3), 0.75) << x;
        EXPECT_NEAR(frame.output.get(x, 1, 0), 0.0, 1e-6) << x;
    }
}

TEST_F(EngineTest, AssemblesVersionPlatformPreludeAndCode)
{
    std::string source = qv::makeFragmentSource("CODE", 330);
    std::string prelude(kFragmentPreludeText, kFragmentPreludeText_size);
    EXPECT_EQ(source, "#version 330 core\n#define platform 0\n" + prelude + "#line 1\nCODE");
}

TEST_F(EngineTest, WrapPutsThePreludeInFront)
{
    Frame frame(4, 4, 8);
    render(frame, kFill, true);
    EXPECT_EQ(qv::EngineProbe(engine())->fragmentSource,
              "#version 330 core\n#define platform 0\n" + std::string(kFragmentPreludeText) + "#line 1\n" + kFill);
    render(frame, kFill, false);
    EXPECT_EQ(qv::EngineProbe(engine())->fragmentSource, kFill);
}

TEST_F(EngineTest, SyntaxErrorGivesFragmentMessageThenLinkMessage)
{
    Frame frame(8, 8, 8);
    frame.output.fill(9, 8, 7, 6);
    EXPECT_EQ(engine().render("void main(){ outColor = vec4(1.0) }", &frame.ctx, true), qv::PassResult::CompileFailed);
    ASSERT_TRUE(engine().hasError());
    std::string first = engine().popError();
    ASSERT_TRUE(engine().hasError());
    std::string second = engine().popError();
    EXPECT_FALSE(engine().hasError());
    EXPECT_EQ(first.rfind("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n", 0), 0u) << first;
    EXPECT_GT(first.size(), std::string("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n").size());
    EXPECT_EQ(second.rfind("ERROR::SHADER::PROGRAM::LINKING_FAILED\n", 0), 0u) << second;
    for (int y = 0; y < 8; ++y)  /* the output keeps what it held */
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(frame.output.get(x, y, 0), 9);
}

TEST_F(EngineTest, EmptyCodeFailsToLinkForWantOfMain)
{
    Frame frame(8, 8, 8);
    for (int pass = 0; pass < 2; ++pass) {  /* the second from the program cache */
        EXPECT_EQ(engine().render("", &frame.ctx, true), qv::PassResult::LinkFailed) << "pass " << pass;
        std::string log = drain(engine());
        EXPECT_EQ(log.rfind("ERROR::SHADER::PROGRAM::LINKING_FAILED\n", 0), 0u) << log;
        EXPECT_EQ(log.find("COMPILATION_FAILED"), std::string::npos) << log;
    }
}

TEST_F(EngineTest, EmptyFullGlslCodeFailsToCompile)
{
    Frame frame(8, 8, 8);
    std::string log = render(frame, "", false);
    EXPECT_EQ(log.rfind("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n", 0), 0u) << log;
    EXPECT_NE(log.find("ERROR::SHADER::PROGRAM::LINKING_FAILED\n"), std::string::npos) << log;
}

TEST_F(EngineTest, CodeEndsAtItsFirstNul)
{
    Frame frame(8, 8, 8);
    std::string code = kFill + std::string("\0 this is not GLSL {", 20);
    EXPECT_EQ(render(frame, code), "");
    EXPECT_EQ(frame.output.get(3, 3, 1), 51);  /* 0.2 * 255 truncated */

    std::string leading = std::string("\0", 1) + kFill;
    std::string log = render(frame, leading);  /* only the prelude reaches the compiler */
    EXPECT_EQ(log.rfind("ERROR::SHADER::PROGRAM::LINKING_FAILED\n", 0), 0u) << log;
}

TEST_F(EngineTest, GlFragColorAndGlFragCoordGoThroughThePreludeDefines)
{
    Frame frame(16, 8, 32);
    EXPECT_EQ(render(frame, "void main(){ gl_FragColor = vec4(gl_FragCoord.xy, 0.0, 1.0); }"), "");
    EXPECT_NEAR(frame.output.get(5, 7, 1), 5.5, 1e-4);  /* bottom host row is frame row 0 */
    EXPECT_NEAR(frame.output.get(5, 7, 2), 0.5, 1e-4);
    EXPECT_NEAR(frame.output.get(15, 0, 2), 7.5, 1e-4);
}

TEST_F(EngineTest, FullGlslCodeCompilesWithNothingAdded)
{
    Frame frame(8, 8, 8);
    const std::string code =
        "#version 330 core\nout vec4 result;\nin vec2 uv;\nuniform float slider[10];\n"
        "void main(){ result = vec4(uv.x, slider[1], 0.0, 1.0); }\n";
    frame.params.sliders[1] = 0.5;
    EXPECT_EQ(render(frame, code, false), "");
    EXPECT_EQ(frame.output.get(0, 0, 1), 15);   /* (0.5 / 8) * 255 */
    EXPECT_EQ(frame.output.get(0, 0, 2), 127);  /* 0.5 * 255 */
}

// Shadertoy code that declares the engine's names compiles once converted,
// comma lists at global scope included: every renamed name in one list, and
// the shapes users write.
TEST_F(EngineTest, ConvertedDeclarationsOfEngineNamesCompile)
{
    std::string everyName = "float a";
    for (const std::string &name : qv::reservedNames())
        everyName += ", " + name;
    const std::string shaders[] = {
        everyName + ";\nvoid mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
                    "    fragColor = vec4(time + layer + color, uv, point3d, 1.0) * texture(iChannel0, fragCoord);\n}\n",
        "float a, time;\nfloat b = 1.0, layerResolution = 2.0;\n"
        "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
        "    float c = 0.5,fps = iTime;\n"
        "    fragColor = vec4(a + time, b * layerResolution, c + fps, iChannelTime[1]);\n}\n",
    };
    for (std::string code : shaders) {
        Frame frame(4, 4, 8);
        qv::ShadertoyTranslator(code);
        qv::wrapShadertoyCode(code);
        EXPECT_EQ(render(frame, code), "") << code;
    }
}

// The whole log, with the user's own line numbers: the last of 200 errors
// is on line 201 of the code.
TEST_F(EngineTest, WholeInfoLogIsKeptWithTheUsersLineNumbers)
{
    Frame frame(4, 4, 8);
    std::string code = "void main(){\n";
    for (int i = 0; i < 200; ++i)
        code += "undefined_" + std::to_string(i) + " = 1;\n";
    code += "}\n";
    EXPECT_EQ(engine().render(code, &frame.ctx, true), qv::PassResult::CompileFailed);
    std::string fragment = engine().popError();
    const std::string header = "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n";
    ASSERT_EQ(fragment.rfind(header, 0), 0u);
    EXPECT_GT(fragment.size(), 4000u);
    EXPECT_NE(fragment.find("0:2("), std::string::npos) << fragment.substr(0, 200);
    EXPECT_NE(fragment.find("0:201("), std::string::npos);
    EXPECT_NE(fragment.find("undefined_199"), std::string::npos);
    EXPECT_EQ(fragment.find('\0'), std::string::npos);
    drain(engine());
}

} // namespace
