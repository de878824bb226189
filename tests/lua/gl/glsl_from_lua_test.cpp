// qv.glsl and qv.full_glsl on a real GL context: passes write the output,
// a later pass reads an earlier one through the output, errors stop the script.
#include "common/lua_fixture.h"
#include "lua/abort_watch.h"
#include "lua/host_functions.h"

namespace {

class GlslFromLuaTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        frame(8, 6, 32);  // floats: what the shader wrote comes back exactly
    }
    std::vector<float> out(int x, int y) { return output_->get<float>(x, y); }
};

const char kHalfRed[] = "void main(){ outColor = vec4(0.5, 0.25, 0.0, 1.0); }";
const char kAddGreen[] =
    "void main(){ vec4 c = getColor(OUTPUT_LAYER_INDEX, uv); outColor = vec4(c.r, c.g + 0.25, c.b, 1.0); }";

TEST_F(GlslFromLuaTest, APassFillsTheOutput)
{
    EXPECT_EQ(run(std::string("qv.glsl('") + kHalfRed + "') return 'ok'"), "ok");
    EXPECT_EQ(out(0, 0), (std::vector<float>{1.0f, 0.5f, 0.25f, 0.0f}));
    EXPECT_EQ(out(7, 5), (std::vector<float>{1.0f, 0.5f, 0.25f, 0.0f}));
}

TEST_F(GlslFromLuaTest, ASecondPassSeesTheFirstThroughTheOutput)
{
    run(std::string("qv.glsl('") + kHalfRed + "') qv.glsl('" + kAddGreen + "', true)");
    EXPECT_EQ(out(3, 2), (std::vector<float>{1.0f, 0.5f, 0.5f, 0.0f}));
    EXPECT_EQ(pc().useOutputAsInput, 1);
}

TEST_F(GlslFromLuaTest, ExtraArgumentsLeaveTheFlagClear)
{
    run(std::string("qv.glsl('") + kHalfRed + "') qv.glsl('" + kAddGreen + "', true, 5)");
    EXPECT_EQ(pc().useOutputAsInput, 0);
    EXPECT_EQ(out(3, 2), (std::vector<float>{1.0f, 0.0f, 0.25f, 0.0f}));  // read the empty input instead
}

TEST_F(GlslFromLuaTest, PassesSeePixelsTheScriptWrote)
{
    run(std::string("for y = 0, height - 1 do for x = 0, width - 1 do qv.setColor(x, y, 1, 0.75, 0, 0) end end "
                    "qv.glsl('") + kAddGreen + "', true)");
    EXPECT_EQ(out(5, 4), (std::vector<float>{1.0f, 0.75f, 0.25f, 0.0f}));
}

TEST_F(GlslFromLuaTest, ScriptsReadWhatAPassWrote)
{
    EXPECT_EQ(run(std::string("qv.glsl('") + kHalfRed + "') return table.concat({qv.getColor(-2, 1, 1)}, ' ')"),
              "1.0 0.5 0.25 0.0");
}

TEST_F(GlslFromLuaTest, FullGlslTakesACompleteSourceWithTheEngineUniforms)
{
    frame(8, 6, 32);
    params_.sliders[2] = 0.125;
    std::string source = "#version 330 core\\nout vec4 outColor;\\nuniform float slider[10];\\n"
                         "void main(){ outColor = vec4(slider[2], 0.0, 1.0, 1.0); }";
    EXPECT_EQ(run("qv.full_glsl('" + source + "') return 'ok'"), "ok");
    EXPECT_EQ(out(2, 2), (std::vector<float>{1.0f, 0.125f, 0.0f, 1.0f}));
}

TEST_F(GlslFromLuaTest, CompileErrorsStopTheScriptWithTheEngineReport)
{
    std::string m = error("qv.glsl(42) return 'went on'");
    EXPECT_EQ(m.rfind("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED", 0), 0u) << m;
    EXPECT_NE(m.find("ERROR::SHADER::PROGRAM::LINKING_FAILED"), std::string::npos) << m;
    m = error("qv.full_glsl('void main(){ outColor = vec4(1.0); }')");  // no prelude: outColor unknown
    EXPECT_EQ(m.rfind("ERROR::SHADER::", 0), 0u) << m;
}

TEST_F(GlslFromLuaTest, PixelsOfEarlierPassesStayAfterAnError)
{
    std::string m = error(std::string("qv.glsl('") + kHalfRed + "') qv.glsl('not glsl')");
    EXPECT_EQ(m.rfind("ERROR::SHADER::", 0), 0u) << m;
    EXPECT_EQ(out(0, 0), (std::vector<float>{1.0f, 0.5f, 0.25f, 0.0f}));
}

PF_Err hostCancels(PF_ProgPtr) { return PF_Interrupt_CANCEL; }

// Once the host cancelled, no pass starts: the output keeps its pixels.
TEST_F(GlslFromLuaTest, NoPassRunsOnceTheHostCancelled)
{
    pc().abortCheck = hostCancels;
    const std::string calls[] = {
        std::string("qv.glsl('") + kHalfRed + "')",
        std::string("qv.full_glsl('#version 330 core\\nout vec4 outColor;\\n") + kHalfRed + "')",
    };
    for (const std::string &call : calls) {
        EXPECT_EQ(run(call + " return 'went on'"), qv::kAbortMessage) << call;
        EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL) << call;
        EXPECT_EQ(out(0, 0), (std::vector<float>{0.0f, 0.0f, 0.0f, 0.0f})) << call;
    }
}

TEST_F(GlslFromLuaTest, EightBitOutputIsConvertedByTheEngine)
{
    frame(4, 4, 8);
    run(std::string("qv.glsl('") + kHalfRed + "')");
    /* 0.5 and 0.25 are exact in the float read back: x 255 and truncated */
    EXPECT_EQ(output_->get<uint8_t>(1, 1), (std::vector<uint8_t>{255, 127, 63, 0}));
}

} // namespace
