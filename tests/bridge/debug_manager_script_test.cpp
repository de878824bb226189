// The debug log window's script, run in the simulator's script engine as the
// host would run it.
#include "embedded/kDebugManagerScript.h"
#include "testhost/scripting/script_engine.h"
#include "bridge/debug_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class DebugManagerScriptTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { engine().restart({GetParam(), "Linux"}); }

    qvh::ScriptEngine &engine() { return qvh::scriptEngine(); }
    A_Err send(const std::string &script)
    {
        std::string result, error;
        return engine().run(script, result, error);
    }
    void open() { ASSERT_EQ(send(std::string(kDebugManagerScript) + "\n_QUORVEL_openLog();\n"), A_Err_NONE); }
    std::string shown() { return engine().evaluate("__QUORVEL_DEBUG.logArea.text"); }
    void add(const std::string &line) { EXPECT_EQ(send(qv::DebugLogAddScript(line)), A_Err_NONE) << line; }
};

TEST_P(DebugManagerScriptTest, TextsBeforeAnyWindowFailInTheHostAndChangeNothing)
{
    EXPECT_NE(send(qv::DebugLogAddScript("early")), A_Err_NONE);
    EXPECT_NE(send(qv::DebugLogClearScript()), A_Err_NONE);
    open();
    EXPECT_EQ(shown(), "");
}

TEST_P(DebugManagerScriptTest, TheWindowIsAsDescribed)
{
    open();
    EXPECT_EQ(engine().evaluate("var w = __QUORVEL_DEBUG.window; [w.type, w.title, w.visible, w.centered,"
                                " w.properties.borderless, w.bounds.width, w.bounds.height].join('|')"),
              "window|Quorvel - Debug window|true|true|false|800|480");
    EXPECT_EQ(engine().evaluate("var d = __QUORVEL_DEBUG; [d.logArea.bounds.x, d.logArea.bounds.width,"
                                " d.logArea.properties.readonly, d.closeBtn.text, d.closeBtn.bounds.x,"
                                " d.clearBtn.text, d.clearBtn.bounds.x, d.clearBtn.bounds.height].join('|')"),
              "5|790|true|Close|5|Clear|690|25");
}

TEST_P(DebugManagerScriptTest, NewestEntriesComeFirst)
{
    open();
    for (const char *line : {"a", "b", "c"})
        add(line);
    EXPECT_EQ(shown(), "c\nb\na");
    add("it's \"two\"\nlines\t\\");
    EXPECT_EQ(engine().evaluate("__QUORVEL_DEBUG.logs[0]"), "it's \"two\"\nlines\t\\");
    EXPECT_EQ(engine().evaluate("__QUORVEL_DEBUG.logs.length"), "4");
}

TEST_P(DebugManagerScriptTest, SubRemainAndClearTrimTheLog)
{
    open();
    for (const char *line : {"1", "2", "3", "4", "5"})
        add(line);
    send(qv::DebugLogRemainScript(10));
    EXPECT_EQ(shown(), "5\n4\n3\n2\n1");
    send(qv::DebugLogRemainScript(2));
    EXPECT_EQ(shown(), "5\n4");
    add("6");
    send(qv::DebugLogSubScript(1));
    EXPECT_EQ(shown(), "5\n4");
    EXPECT_EQ(send(qv::DebugLogSubScript(5)), A_Err_NONE);
    EXPECT_EQ(shown(), "");
    add("y");
    send(qv::DebugLogClearScript());
    add("x");
    EXPECT_EQ(shown(), "x");
}

TEST_P(DebugManagerScriptTest, CloseEmptiesTheLogAndLaterLinesAreStillKept)
{
    open();
    add("a");
    engine().evaluate("__QUORVEL_DEBUG.closeBtn.notify('onClick')");
    EXPECT_EQ(engine().evaluate("__QUORVEL_DEBUG.window.visible + ' ' + __QUORVEL_DEBUG.logs.length"), "false 0");
    add("b");
    EXPECT_EQ(engine().evaluate("__QUORVEL_DEBUG.logs.join()"), "b");
    engine().evaluate("__QUORVEL_DEBUG.clearBtn.notify('onClick')");
    EXPECT_EQ(shown(), "");
}

TEST_P(DebugManagerScriptTest, OpeningAgainGivesANewEmptyWindowThatAloneGetsLines)
{
    open();
    add("old");
    open();
    add("new");
    EXPECT_EQ(shown(), "new");
    EXPECT_EQ(engine().evaluate("__qvh.windows.length + ' ' + __qvh.windows[0].visible + ' ' + "
                                "__qvh.windows[0].children[0].text"),
              "2 true old");
}

INSTANTIATE_TEST_SUITE_P(CurrentAndLegacyEngines, DebugManagerScriptTest, ::testing::Bool());

} // namespace
