// Script functions without a GPU: `js`, `alert`, the debug functions, and the
// argument checks of `glsl` and `full_glsl` that come before any pass.
#include "common/lua_fixture.h"

namespace {

class ScriptFunctionsTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        pc().debugLog = 1;
        pc().scriptAccess = 1;  /* the host lets scripts write files: qv.js runs */
    }
};

TEST_F(ScriptFunctionsTest, AlertSendsTheEscapedMessage)
{
    run("qv.alert('say \"hi\"\\n')");
    EXPECT_EQ(scripts(), std::vector<std::string>{"alert(\"say \\\"hi\\\"\\n\",\"Quorvel Lua alert\");"});
}

TEST_F(ScriptFunctionsTest, AlertNeedsAString)
{
    EXPECT_EQ(error("qv.alert({})"), "Wrong parameter type: A string should be sent");
    EXPECT_EQ(error("qv.alert()"), "Wrong parameter type: A string should be sent");
    run("qv.alert(12)");
    EXPECT_EQ(scripts(), std::vector<std::string>{"alert(\"12\",\"Quorvel Lua alert\");"});
}

TEST_F(ScriptFunctionsTest, DebugFunctionsSendTheirExactTexts)
{
    run("qv.debug.add(\"it's\\tone\") qv.report('two') qv.debug.sub() qv.debug.sub(3) qv.debug.remain(2) "
        "qv.debug.clear()");
    EXPECT_EQ(scripts(), (std::vector<std::string>{
                             "if(_QUORVEL_log) _QUORVEL_log('it\\'s\\tone');",
                             "if(_QUORVEL_log) _QUORVEL_log('two');",
                             "if(_QUORVEL_sub) _QUORVEL_sub(1);",
                             "if(_QUORVEL_sub) _QUORVEL_sub(3);",
                             "if(_QUORVEL_remain) _QUORVEL_remain(2);",
                             "if(_QUORVEL_clear) _QUORVEL_clear();",
                         }));
}

TEST_F(ScriptFunctionsTest, DebugAddTakesExactlyOneString)
{
    run("qv.debug.add('a', 'b') qv.debug.add() qv.debug.add({}) "
        "__PCFuncs__.debug_add(__PCData__.pcData, 'x', 'y')");
    EXPECT_EQ(scripts(), std::vector<std::string>{"if(_QUORVEL_log) _QUORVEL_log('a');"});
}

TEST_F(ScriptFunctionsTest, CountsOtherThanIntegersAreOne)
{
    run("qv.debug.sub(2.0) qv.debug.remain() qv.debug.remain('4') qv.debug.sub(-2)");
    EXPECT_EQ(scripts(), (std::vector<std::string>{
                             "if(_QUORVEL_sub) _QUORVEL_sub(1);",
                             "if(_QUORVEL_remain) _QUORVEL_remain(1);",
                             "if(_QUORVEL_remain) _QUORVEL_remain(1);",
                             "if(_QUORVEL_sub) _QUORVEL_sub(-2);",
                         }));
}

TEST_F(ScriptFunctionsTest, DebugOffSendsNothing)
{
    pc().debugLog = 0;
    EXPECT_EQ(run("qv.debug.add('a') qv.debug.sub() qv.debug.remain(1) qv.debug.clear() return 'ok'"), "ok");
    EXPECT_TRUE(scripts().empty());
}

TEST_F(ScriptFunctionsTest, NoSuitesNoScripts)
{
    pc().suites = nullptr;
    EXPECT_EQ(run("qv.alert('a') qv.debug.add('a') return select('#', qv.js('1'))"), "0");
    EXPECT_TRUE(scripts().empty());
}

// The host's engine reaches files and the network unbounded, so a script's
// text goes there only with the host's preference; the plug-in's own
// scripts (alert, the debug log) go whatever it says.
TEST_F(ScriptFunctionsTest, JsNeedsTheHostsPreference)
{
    pc().scriptAccess = 0;
    std::string message =
        run("local ok, e = pcall(qv.js, '1') qv.alert('a') qv.debug.add('b') return e").value_or("");
    EXPECT_EQ(message.rfind("qv.js is not allowed:", 0), 0u) << message;
    EXPECT_NE(message.find("\"Allow Scripts to Write Files and Access Network\""), std::string::npos);
    EXPECT_EQ(scripts(), (std::vector<std::string>{"alert(\"a\",\"Quorvel Lua alert\");",
                                                    "if(_QUORVEL_log) _QUORVEL_log('b');"}));
}

TEST_F(ScriptFunctionsTest, JsReturnsResultAndErrorTexts)
{
    qvh::host().scriptRunner = [](const std::string &script, std::string &result, std::string &error) {
        result = "ran " + script;
        error = "warn";
        return A_Err_GENERIC;
    };
    EXPECT_EQ(run("local r, e = qv.js('1+1') return r .. '|' .. e"), "ran 1+1|warn");
}

TEST_F(ScriptFunctionsTest, JsWithoutHandlesGivesEmptyStrings)
{
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_PARAMETER);
    EXPECT_EQ(run("local r, e = qv.js('x') return select('#', qv.js('x')) .. '[' .. r .. '][' .. e .. ']'"), "2[][]");
}

TEST_F(ScriptFunctionsTest, JsIgnoresNonStrings)
{
    EXPECT_EQ(run("return select('#', qv.js({}))"), "0");
    EXPECT_TRUE(scripts().empty());
}

TEST_F(ScriptFunctionsTest, LogFailuresNeverStopTheScript)
{
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_GENERIC);
    EXPECT_EQ(run("qv.debug.add('a') qv.alert('b') return 'went on'"), "went on");
}

TEST_F(ScriptFunctionsTest, GlslChecksItsArgumentsFirst)
{
    EXPECT_EQ(error("qv.glsl()"), "Wrong parameter type: A string should be sent");
    EXPECT_EQ(error("qv.glsl({})"), "Wrong parameter type: A string should be sent");
    EXPECT_EQ(error("qv.glsl('void main(){}', 1)"), "Wrong parameter type: A boolean should be sent");
    EXPECT_EQ(error("qv.full_glsl('void main(){}', nil)"), "Wrong parameter type: A boolean should be sent");
}

} // namespace
