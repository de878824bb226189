// The simulator's ExtendScript stand-in on its own.
#include "testhost/host/host.h"
#include "testhost/scripting/script_engine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

class ScriptEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-script-XXXXXX";
        dir_ = mkdtemp(pattern);
        qvh::scriptEngine().restart();
        qvh::host().allowScriptAccess = true;  /* as a user who lets scripts write files */
    }
    void TearDown() override
    {
        qvh::host().allowScriptAccess = false;
        qvh::resetAbort();
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }

    // Runs a script that must succeed and returns its result.
    std::string run(const std::string &script)
    {
        std::string result, error;
        EXPECT_EQ(qvh::scriptEngine().run(script, result, error), A_Err_NONE) << error;
        return result;
    }
    qvh::ScriptEngine &engine() { return qvh::scriptEngine(); }

    // Runs a script that must fail and returns its error.
    std::string fail(const std::string &script)
    {
        std::string result, error;
        EXPECT_EQ(qvh::scriptEngine().run(script, result, error), A_Err_GENERIC) << result;
        return error;
    }

    std::string dir_;
};

TEST_F(ScriptEngineTest, GlobalStateLastsBetweenRuns)
{
    run("function twice(x) { return 2 * x; } var kept = 'k';");
    EXPECT_EQ(run("twice(21) + kept"), "42k");
    EXPECT_EQ(run("var nothing;"), "undefined");
}

TEST_F(ScriptEngineTest, AFailingScriptGivesAHostErrorAndItsText)
{
    std::string result, error;
    EXPECT_EQ(engine().run("throw new Error('broken \xE2\x82\xAC');", result, error), A_Err_GENERIC);
    EXPECT_EQ(error, "Error: broken \xE2\x82\xAC");
    EXPECT_EQ(engine().run("if (", result, error), A_Err_GENERIC);
    EXPECT_NE(error.find("SyntaxError"), std::string::npos) << error;
}

TEST_F(ScriptEngineTest, RestartForgetsEverything)
{
    run("var kept = 1; alert('a');");
    engine().restart();
    EXPECT_EQ(run("typeof kept"), "undefined");
    EXPECT_TRUE(engine().alerts().empty());
}

TEST_F(ScriptEngineTest, LegacyModeHasNoJsonAndNoIndexOf)
{
    EXPECT_EQ(run("typeof JSON + ' ' + typeof [].indexOf"), "object function");
    engine().restart({true, "Windows 10"});
    EXPECT_EQ(run("typeof JSON + ' ' + typeof [].indexOf + ' ' + $.os"), "undefined undefined Windows 10");
}

TEST_F(ScriptEngineTest, PromptsAreAnsweredFromTheQueueAndRecorded)
{
    engine().answerPrompts({std::string("first"), std::nullopt});
    EXPECT_EQ(run("prompt('Name', 'def') + '|' + prompt('Again') + '|' + prompt('Empty queue')"), "first|null|null");
    EXPECT_EQ(engine().prompts(), (std::vector<std::string>{"Name", "Again", "Empty queue"}));
    EXPECT_EQ(engine().promptDefaults(), (std::vector<std::string>{"def", "", ""}));
    run("alert('one'); alert('two\\nlines', 'title');");
    EXPECT_EQ(engine().alerts(), (std::vector<std::string>{"one", "two\nlines"}));
}

const char kDialog[] =
    "var w = new Window('dialog', 'T', {x: 0, y: 0, width: 200, height: 100});"
    "var p = w.add('panel', [10, 10, 110, 60], 'Panel');"
    "var e = p.add('edittext', [5, 5, 95, 25], 'start', {multiline: true});"
    "var l = p.add('listbox', [5, 30, 95, 45], ['a', 'b']);"
    "var log = [];"
    "l.onChange = function () { log.push('sel ' + (l.selection ? l.selection.text : null)); };"
    "l.onDoubleClick = function () { log.push('dbl'); };"
    "var ok = w.add('button', [10, 70, 60, 90], 'Ok');"
    "ok.onClick = function () { log.push('ok ' + e.text); w.close(1); };"
    "w.center();";

TEST_F(ScriptEngineTest, AModalDialogIsWorkedByTheScriptedUser)
{
    engine().setUser("function (d, u) { u.type(u.find('edittext'), 'typed'); u.select(u.find('listbox'), 'b');"
                     " u.doubleClick(u.find('listbox')); u.click(u.find('button', 'Ok')); }");
    run(kDialog);
    EXPECT_EQ(run("var r = w.show(); r + ' ' + w.closed + ' ' + log.join(',')"), "1 true sel b,dbl,ok typed");
    EXPECT_EQ(run("p.bounds.width + ',' + l.bounds.height + ',' + e.properties.multiline + ',' + w.title"),
              "100,15,true,T");
}

TEST_F(ScriptEngineTest, WithoutAUserADialogIsClosedByItsFrame)
{
    run(kDialog);
    EXPECT_EQ(run("w.show() + ' ' + w.closed + ' ' + log.length"), "2 true 0");
}

TEST_F(ScriptEngineTest, ListsTakeItemsAndSelectionsFireOnChange)
{
    run(kDialog);
    EXPECT_EQ(run("l.add('item', 'c'); l.selection = 2; l.selection.text + l.selection.index + log.join(',')"),
              "c2sel c");
    EXPECT_EQ(run("l.removeAll(); l.items.length + ' ' + l.selection"), "0 null");
}

TEST_F(ScriptEngineTest, HandlerErrorsFromUserActionsAreReportedAndTheDialogStays)
{
    engine().setUser("function (d, u) { u.click(u.find('button', 'Ok')); u.click(u.find('button', 'Ok')); }");
    run(kDialog + std::string("var n = 0; ok.onClick = function () { if (n++ == 0) throw new Error('once'); w.close(1); };"));
    EXPECT_EQ(run("w.show()"), "1");
    EXPECT_EQ(engine().handlerErrors(), std::vector<std::string>{"Error: once"});
}

TEST_F(ScriptEngineTest, AWindowShowsWithoutBlocking)
{
    EXPECT_EQ(run("var w = Window('window', '', [0, 0, 10, 10], {borderless: true}); w.show();"
                  "w.visible + ' ' + w.properties.borderless"),
              "true true");
}

TEST_F(ScriptEngineTest, AnImageNeedsItsFile)
{
    std::string result, error;
    EXPECT_EQ(engine().run("new Window('window').add('image', [0, 0, 5, 5], '" + dir_ + "/none.png')", result, error),
              A_Err_GENERIC);
    EXPECT_NE(error.find("none.png"), std::string::npos);
    std::ofstream(dir_ + "/logo.png") << "png";
    run("new Window('window').add('image', [0, 0, 5, 5], File('" + dir_ + "/logo.png'))");
}

TEST_F(ScriptEngineTest, FilesRoundTripTheirBytes)
{
    std::string text = "{\"name\": \"\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\xB2\"}\n\t'\\";
    run("var t = '" + std::string("{\"name\": \"\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\xB2\"}\\n\\t\\'\\\\") + "';"
        "var f = new File('" + dir_ + "/a b.qvp'); f.open('w'); f.write(t); f.close();");
    std::ifstream in(dir_ + "/a b.qvp");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
    EXPECT_EQ(run("var g = new File(f.absoluteURI); g.open('r'); var back = g.read(); g.close(); back === t"), "true");
    EXPECT_EQ(run("f.absoluteURI"), dir_ + "/a%20b.qvp");
    EXPECT_EQ(run("f.fsName + ' ' + f.exists + ' ' + f.remove() + ' ' + f.exists"), dir_ + "/a b.qvp true true false");
}

TEST_F(ScriptEngineTest, FoldersListFilesByMask)
{
    for (const char *name : {"b.qvp", "a.qvp", "c.txt"})
        std::ofstream(dir_ + "/" + name) << "x";
    mkdir((dir_ + "/sub.qvp").c_str(), 0755);
    EXPECT_EQ(run("var fs = Folder('" + dir_ + "').getFiles('*.qvp'), n = [];"
                  "for (var i = 0; i < fs.length; i++) n.push(fs[i].displayName + (fs[i] instanceof Folder));"
                  "n.join(',')"),
              "a.qvpfalse,b.qvpfalse,sub.qvptrue");
    EXPECT_EQ(run("Folder('" + dir_ + "/missing').getFiles('*.qvp') + ' ' + Folder('" + dir_ + "/missing').exists"),
              "null false");
}

TEST_F(ScriptEngineTest, WritingWhereNoFileCanBeFails)
{
    std::ofstream(dir_ + "/plain") << "a file, not a folder";  /* fails for root too */
    EXPECT_EQ(run("var f = File('" + dir_ + "/plain/x.qvp'); f.open('w') + ' ' + f.write('x') + ' ' + f.exists"),
              "false false false");
}

TEST_F(ScriptEngineTest, ReadingAMissingFileFails)
{
    EXPECT_EQ(run("var f = File('" + dir_ + "/none'); f.open('r') + ' [' + f.read() + '] ' + f.close()"),
              "false [] false");
}

// Without the host's preference, as in the host: reading works, while
// writing, removing and creating fail with the preference named, also when
// a script calls the natives under File and Folder itself.
TEST_F(ScriptEngineTest, WithoutThePreferenceFilesAreOnlyRead)
{
    std::ofstream(dir_ + "/kept.txt") << "kept";
    qvh::host().allowScriptAccess = false;
    const std::string kept = "File('" + dir_ + "/kept.txt')", made = "File('" + dir_ + "/made.txt')";
    EXPECT_EQ(run("var k = " + kept + "; k.open('r') + ' ' + k.read() + ' ' + k.close()"), "true kept true");
    const std::string refusals[] = {
        "var f = " + made + "; [f.open('w'), f.write('x'), f.error]",
        "var f = " + kept + "; [f.open('a'), f.error]",
        "var f = " + kept + "; [f.open('e'), f.error]",
        "var f = " + kept + "; [f.remove(), f.error]",
        "var f = Folder('" + dir_ + "/sub'); [f.create(), f.error]",
    };
    for (const std::string &script : refusals) {
        std::string out = run(script);
        EXPECT_EQ(out.rfind("false,", 0), 0u) << script << ": " << out;
        EXPECT_NE(out.find("\"Allow Scripts to Write Files and Access Network\""), std::string::npos) << out;
    }
    EXPECT_EQ(run("[__qvh.fs.open('" + dir_ + "/made.txt', 'w'), __qvh.fs.remove('" + dir_ +
                  "/kept.txt'), __qvh.fs.mkdir('" + dir_ + "/sub')].join()"),
              "-1,false,false");
    EXPECT_EQ(run(made + ".exists + ' ' + " + kept + ".exists + ' ' + Folder('" + dir_ + "/sub').exists"),
              "false true false");
    std::ifstream in(dir_ + "/kept.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept");
    qvh::host().allowScriptAccess = true;
    EXPECT_EQ(run("var f = " + made + "; [f.open('w'), f.write('x'), f.close(), f.remove()].join()"),
              "true,true,true,true");
}

// The heap is bounded: a script that grows without end fails with the bound
// named, its memory comes back, and the engine goes on.
TEST_F(ScriptEngineTest, AScriptPastTheMemoryBoundFails)
{
    std::string error = fail("(function () { var a = [], s = new Array(1 << 16).join('x');"
                             " for (;;) a.push(s + a.length); })()");
    EXPECT_NE(error.find("more than the script engine's 256 MB of memory"), std::string::npos) << error;
    EXPECT_EQ(run("(function () { var a = [], s = new Array(1 << 16).join('y');"
                  " for (var i = 0; i < 1000; i++) a.push(s + i); return a.length; })()"),
              "1000");
    error = fail("var z = File('/dev/zero'); z.open('r'); z.read()");  /* a file without end */
    EXPECT_NE(error.find("RangeError"), std::string::npos) << error;
}

// A script that runs when the host asks to stop ends, even one that catches
// every error; one that starts after the stop still runs when it is short.
TEST_F(ScriptEngineTest, AScriptEndsWhenTheHostAsksToStop)
{
    const char *endless[] = {"while (true) {}", "for (;;) { try { while (true) {} } catch (e) {} finally { } }"};
    for (const char *script : endless) {
        qvh::abortAfter(0.2);
        std::string error = fail(script);
        EXPECT_EQ(error.rfind("The script was stopped: the host asked to stop", 0), 0u) << script << ": " << error;
        qvh::resetAbort();
    }
    qvh::abortNow();
    EXPECT_EQ(run("var n = 0; for (var i = 0; i < 100000; i++) n += i; n"), "4999950000");
    EXPECT_EQ(fail("while (true) {}").rfind("The script was stopped", 0), 0u);
    qvh::resetAbort();
    EXPECT_EQ(run("var m = 0; for (var j = 0; j < 1000000; j++) m++; m"), "1000000");
}

} // namespace
