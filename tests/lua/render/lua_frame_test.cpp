// Lua scripts rendered through the built plug-in in the simulator: what the
// render driver makes of a script's pixels, messages, errors and runaways.
#include "base/suite_access.h"
#include "common/render_fixture.h"
#include "testhost/scripting/script_engine.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

class LuaFrameTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        setLanguage(qv::Language::Lua);
        comp_.width = 16;
        comp_.height = 8;
    }
    qvh::FrameResult renderLua(const std::string &code)
    {
        setCode(code);
        return render(comp_, 0.5);
    }
    static std::vector<uint8_t> pixel(const qvh::World &w, A_long x, A_long y)
    {
        const unsigned char *p = w.pixelAddress(x, y);
        return {p[0], p[1], p[2], p[3]};
    }
    qvh::Composition comp_;
};

TEST_F(LuaFrameTest, ScriptsSeeTheFrameAndTheParameters)
{
    openDebugWindow();
    instance().setFloat(qv::kFirstSliderParam, 2.5);
    qvh::FrameResult r = renderLua(
        "return table.concat({width, height, depth, time, qv.ch('slider', 0), __PCData__.width}, ' ')");
    EXPECT_EQ(r.err(), PF_Err_NONE);
    EXPECT_EQ(logScripts(), std::vector<std::string>{"if(_QUORVEL_log) _QUORVEL_log('16.0 8.0 8.0 0.5 2.5 2');"});
}

TEST_F(LuaFrameTest, AnErrorIsLoggedAndPixelsWrittenBeforeItStay)
{
    openDebugWindow();
    qvh::FrameResult r = renderLua("qv.setColor(1, 2, 1, 1, 0, 0)\nqv.ch('slider', 1.0)");
    EXPECT_EQ(r.err(), PF_Err_NONE);
    ASSERT_TRUE(r.output);
    EXPECT_EQ(pixel(*r.output, 1, 2), (std::vector<uint8_t>{255, 255, 0, 0}));
    EXPECT_EQ(pixel(*r.output, 2, 2), (std::vector<uint8_t>{0, 0, 0, 0}));  // cleared, not the host's garbage
    EXPECT_EQ(logScripts(), std::vector<std::string>{
                                "if(_QUORVEL_log) _QUORVEL_log('[string \\\"qv.setColor(1, 2, 1, 1, 0, 0)...\\\"]:2: "
                                "Wrong parameter type: An integer should be sent');"});
}

TEST_F(LuaFrameTest, AFirstLineSyntaxErrorIsAtLineOne)
{
    openDebugWindow();
    renderLua("x = = 1");
    std::vector<std::string> logs = logScripts();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(logs[0].find("]:1:"), std::string::npos) << logs[0];
}

TEST_F(LuaFrameTest, NoMessageNoLogAndDebugOffNoLog)
{
    openDebugWindow();
    std::size_t opening = qvh::host().scriptCount();  /* the window's own */
    renderLua("local x = 1");
    EXPECT_TRUE(logScripts().empty());
    setCheckbox(3, false);
    renderLua("qv.debug.add('x') return 'message'");
    EXPECT_EQ(qvh::host().scriptCount(), opening);
}

TEST_F(LuaFrameTest, APassFedBackThroughTheOutput)
{
    qvh::FrameResult r = renderLua(
        "qv.glsl('void main(){ outColor = vec4(0.0, 0.0, 1.0, 1.0); }')\n"
        "qv.setColor(3, 3, 1, 1, 0, 0)\n"
        "qv.glsl('void main(){ vec4 c = getColor(OUTPUT_LAYER_INDEX, uv); outColor = vec4(c.r, 1.0, c.b, 1.0); }', "
        "true)");
    EXPECT_EQ(r.err(), PF_Err_NONE);
    ASSERT_TRUE(r.output);
    EXPECT_EQ(pixel(*r.output, 3, 3), (std::vector<uint8_t>{255, 255, 255, 0}));
    EXPECT_EQ(pixel(*r.output, 4, 3), (std::vector<uint8_t>{255, 0, 255, 255}));
}

TEST_F(LuaFrameTest, ARunawayScriptStopsWhenTheHostCancels)
{
    openDebugWindow();
    qvh::abortAfter(0.2);
    qvh::FrameResult r = renderLua("while true do end");
    EXPECT_EQ(r.err(), PF_Interrupt_CANCEL);
    EXPECT_GT(qvh::abortAsks(), 0);
    EXPECT_EQ(logScripts(), std::vector<std::string>{
                                "if(_QUORVEL_log) _QUORVEL_log('Script stopped: the host cancelled the render.');"});
}

TEST_F(LuaFrameTest, ScriptsThatEndAreNotCancelled)
{
    qvh::abortAfter(1000);
    qvh::FrameResult r = renderLua("local t = os.clock() while os.clock() - t < 0.05 do end");
    EXPECT_EQ(r.err(), PF_Err_NONE);
    EXPECT_GT(qvh::abortAsks(), 0);
}

TEST_F(LuaFrameTest, TheStateIsClosedWhenTheRenderReturns)
{
    char pattern[] = "/tmp/qv-lua-gc-XXXXXX";
    std::string marker = std::string(mkdtemp(pattern)) + "/closed";
    qvh::installScriptEngine();
    qvh::host().allowScriptAccess = true;  /* the script needs a file */
    instance().updateParamsUI();
    // A file left open is flushed only when the state is closed.
    renderLua("keep = io.open('" + marker + "', 'w') keep:setvbuf('full') keep:write('closed')");
    std::ifstream in(marker);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "closed") << "the file was not closed: the state is still open";
    std::remove(marker.c_str());
    ::rmdir(marker.substr(0, marker.size() - 7).c_str());
}

TEST_F(LuaFrameTest, AMissingSuiteInsideTheScriptIsTheRenderError)
{
    qvh::host().faults.removeSuite(kAEGPUtilitySuite);
    qvh::FrameResult r = renderLua("qv.alert('1') return 'not reached'");
    EXPECT_EQ(r.err(), qv::kMissingSuiteError);
    EXPECT_NE(r.message.find("516"), std::string::npos) << r.message;
}

} // namespace
