// The exact shader texts, the assembled source, compile and link
// messages, and what odd code does.
#include "engine_fixture.h"

#include "embedded/kFragmentPreludeText.h"
#include "embedded/kVertexShaderText.h"

#include <algorithm>

namespace {

const std::string kFill = "void main(){ outColor = vec4(0.2, 0.4, 0.6, 0.8); }";

TEST(ShaderTexts, VertexShaderIs182BytesStartingWithALineFeed)
{
    std::string text(kVertexShaderText, kVertexShaderText_size);
    EXPECT_EQ(text.size(), 182u);
    EXPECT_EQ(text.substr(0, 19), "\n#version 330 core\n");
    EXPECT_EQ(text.substr(text.size() - 16), "uv = aUVW.xy;\n}\n");
}

TEST(ShaderTexts, PreludeIs48LinesOf1018Bytes)
{
    std::string text(kFragmentPreludeText, kFragmentPreludeText_size);
    EXPECT_EQ(text.size(), 1018u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 48);
    EXPECT_EQ(text.substr(0, 15), "\n#define host 0");
    EXPECT_EQ(text.substr(text.size() - 3), "}\n\n");  /* ends with an empty line */
    EXPECT_NE(text.find("else if(layerId>=0 && layerId<=9) return texture(layer[layerId],coord);\n"),
              std::string::npos);
}

TEST_F(EngineTest, AssemblesVersionPlatformPreludeAndCode)
{
    std::string source = qv::makeFragmentSource("CODE", 330);
    std::string prelude(kFragmentPreludeText, kFragmentPreludeText_size);
    EXPECT_EQ(source, "#version 330 core\n#define platform 0\n" + prelude + "CODE");
}

TEST_F(EngineTest, WrapPutsThePreludeInFront)
{
    Frame frame(4, 4, 8);
    render(frame, kFill, true);
    EXPECT_EQ(qv::EngineProbe(engine())->fragmentSource, qv::makeFragmentSource(kFill, 330));
    render(frame, kFill, false);
    EXPECT_EQ(qv::EngineProbe(engine())->fragmentSource, kFill);
}

TEST_F(EngineTest, SyntaxErrorGivesFragmentMessageThenLinkMessage)
{
    Frame frame(8, 8, 8);
    frame.output.fill(9, 8, 7, 6);
    EXPECT_EQ(engine().render("void main(){ outColor = vec4(1.0) }", &frame.ctx, true), 0);
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
    std::string log = render(frame, "");
    EXPECT_EQ(log.rfind("ERROR::SHADER::PROGRAM::LINKING_FAILED\n", 0), 0u) << log;
    EXPECT_EQ(log.find("COMPILATION_FAILED"), std::string::npos) << log;
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

TEST_F(EngineTest, InfoLogIsCutTo1023Characters)
{
    Frame frame(4, 4, 8);
    std::string code = "void main(){\n";
    for (int i = 0; i < 200; ++i)
        code += "undefined_" + std::to_string(i) + " = 1;\n";
    code += "}\n";
    EXPECT_EQ(engine().render(code, &frame.ctx, true), 0);
    std::string fragment = engine().popError();
    const std::string header = "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n";
    ASSERT_EQ(fragment.rfind(header, 0), 0u);
    EXPECT_EQ(fragment.size() - header.size(), 1023u);
    drain(engine());
}

} // namespace
