// The code editor's script, run in the simulator's script engine as the host
// runs it, with a scripted user and catalog files on disk.
#include "support/text.h"
#include "testhost/host/host.h"
#include "testhost/scripting/script_engine.h"
#include "ui/editor_script.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using nlohmann::json;

// Buttons by their place among the buttons of the same text.
const char kUserHelpers[] =
    "var ok = function (u) { u.click(u.find('button', 'Ok')); };"
    "var cancel = function (u) { u.click(u.find('button', 'Cancel')); };"
    "var addCatalog = function (u) { u.click(u.find('button', 'Add', 0)); };"
    "var addPreview = function (u) { u.click(u.find('button', 'Add', 1)); };"
    "var replacePreview = function (u) { u.click(u.find('button', 'Replace')); };"
    "var saveAsPreset = function (u) { u.click(u.find('button', 'Save as preset')); };"
    "var script = function (u) { return u.find('edittext', undefined, 0); };"
    "var preview = function (u) { return u.find('edittext', undefined, 1); };"
    "var catalogs = function (u) { return u.find('dropdownlist'); };"
    "var presets = function (u) { return u.find('listbox'); };";

class EditorScriptTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-editor-XXXXXX";
        root_ = mkdtemp(pattern);
        folder_ = root_ + "/Plug-ins";
        mkdir(folder_.c_str(), 0755);
        mkdir((folder_ + "/Tessmar").c_str(), 0755);
        engine().restart({GetParam(), "Linux"});
        qvh::host().allowScriptAccess = true;  /* saving presets writes files, as the host allows it */
        ASSERT_EQ(run(kUserHelpers), A_Err_NONE);
    }
    void TearDown() override
    {
        qvh::host().allowScriptAccess = false;
        std::system(("rm -rf '" + root_ + "'").c_str());
    }

    qvh::ScriptEngine &engine() { return qvh::scriptEngine(); }
    A_Err run(const std::string &script)
    {
        result_.clear();
        error_.clear();
        return engine().run(script, result_, error_);
    }
    // Opens the editor on `code` as the plug-in does; the user acts in `user`
    // (the body of function (d, u)).
    A_Err edit(const std::string &code, const std::string &user)
    {
        engine().setUser("function (d, u) {" + user + "}");
        std::string escapedFolder = folder_;
        qv::EscapeForScript(escapedFolder);
        return run(qv::ComposeEditorScript(code, escapedFolder));
    }
    std::string edited(const std::string &code, const std::string &user)
    {
        EXPECT_EQ(edit(code, user), A_Err_NONE) << error_;
        return result_;
    }
    void write(const std::string &path, const std::string &text) { std::ofstream(folder_ + "/" + path) << text; }
    std::string read(const std::string &path)
    {
        std::ifstream in(folder_ + "/" + path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    json catalog(const std::string &path) { return json::parse(read(path)); }
    void writeCatalog(const std::string &path, const std::string &name, const json &presets)
    {
        write(path, json{{"name", name}, {"type", "Quorvel Preset"}, {"version", 1}, {"presets", presets}}.dump());
    }

    std::string root_, folder_, result_, error_;
};

const char kTrickyCode[] =
    "a = 'b';\n\tc = \"d\\n\" \\ e;\r\n// \xC3\xA9t\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x8C\xB2 \xE2\x80\xA8\xE2\x80\xA9 end";

TEST_P(EditorScriptTest, OkGivesTheTypedTextAndCancelThePriorOne)
{
    EXPECT_EQ(edited("old", "u.type(script(u), 'new'); ok(u);"), "new");
    EXPECT_EQ(edited("old", "u.type(script(u), 'new'); cancel(u);"), "old");
    EXPECT_EQ(edited("old", "u.type(script(u), 'new');"), "old");  /* closed by its frame */
    EXPECT_EQ(edited("", "ok(u);"), "");
}

TEST_P(EditorScriptTest, CodeWithEveryCharacterToEscapeComesBackUnchanged)
{
    EXPECT_EQ(edited(kTrickyCode, "ok(u);"), kTrickyCode);
    EXPECT_EQ(edited(std::string("up to\0after", 11), "ok(u);"), "up to");
    EXPECT_EQ(edited("x", std::string("u.type(script(u), script(u).text + ") + "'\\u00e9\\n\\'\\\\\"'); ok(u);"),
              "x\xC3\xA9\n'\\\"");
}

TEST_P(EditorScriptTest, TheDialogIsLaidOutAsDescribed)
{
    edited("code", "ok(u);");
    EXPECT_EQ(engine().evaluate("var w = __qvh.windows[0]; [w.type, w.title, w.bounds.width, w.bounds.height, w.centered]"
                                ".join('|')"),
              "dialog|Quorvel - Script Editor|800|485|true");
    EXPECT_EQ(engine().evaluate("var b = []; (function walk(c) { for (var i = 0; i < c.children.length; i++) {"
                                " var k = c.children[i], r = k.bounds; b.push(k.type + ':' + k.text + ':' +"
                                " [r.x, r.y, r.width, r.height].join(',')); walk(k); } })(w); b.join('\\n')"),
              "panel:Script:10,10,450,430\n"
              "edittext:code:5,10,435,405\n"
              "panel:Preset:470,10,320,430\n"
              "dropdownlist::5,10,240,24\n"
              "button:Add:255,10,52,24\n"
              "listbox::5,40,305,240\n"
              "edittext:Preset Preview:5,290,305,90\n"
              "button:Add:5,390,145,24\n"
              "button:Replace:165,390,145,24\n"
              "button:Ok:10,450,96,24\n"
              "button:Save as preset:116,450,150,24\n"
              "button:Cancel:694,450,96,24");
}

TEST_P(EditorScriptTest, ThePreviewStartsAsPresetPreview)
{
    EXPECT_EQ(edited("a", "addPreview(u); ok(u);"), "a\nPreset Preview");
    EXPECT_EQ(edited("a", "replacePreview(u); ok(u);"), "Preset Preview");
}

TEST_P(EditorScriptTest, AddingACatalogWritesItsFileAndSelectsIt)
{
    engine().answerPrompts({std::string("Mine \xC3\xA9")});
    EXPECT_EQ(edited("a", "addCatalog(u); ok(u);"), "a");
    EXPECT_EQ(engine().prompts(), std::vector<std::string>{"Preset Catalog Name"});
    json file = catalog("Tessmar/Mine \xC3\xA9.qvp");
    EXPECT_EQ(file, (json{{"name", "Mine \xC3\xA9"}, {"type", "Quorvel Preset"}, {"version", 1}, {"presets", json::array()}}));
    EXPECT_EQ(read("Tessmar/Mine \xC3\xA9.qvp").find("\"name\""), 1u) << "keys in the order name, type, version, presets";
    EXPECT_EQ(engine().evaluate("catalogs({find: function () { return __qvh.windows[0].children[1].children[0]; }})"
                                ".selection.text"),
              "Mine \xC3\xA9");
}

TEST_P(EditorScriptTest, CancelledOrEmptyCatalogNamesAddNothing)
{
    engine().answerPrompts({std::nullopt, std::string("")});
    edited("a", "addCatalog(u); addCatalog(u); ok(u);");
    EXPECT_EQ(engine().prompts().size(), 2u);
    EXPECT_EQ(read("Tessmar/.qvp"), "");
}

TEST_P(EditorScriptTest, SaveAsPresetAddsThenReplacesAndKeepsUnknownKeys)
{
    write("Tessmar/lib.qvp", R"({"name": "Lib", "type": "Quorvel Preset", "version": 1, "author": "me",
        "presets": [{"name": "one", "code": "1", "note": "kept"}]})");
    engine().answerPrompts({std::string("two"), std::string("one")});
    edited("first", "saveAsPreset(u); u.type(script(u), 'second'); saveAsPreset(u); ok(u);");
    json file = catalog("Tessmar/lib.qvp");
    EXPECT_EQ(file["author"], "me");
    EXPECT_EQ(file["presets"], (json{{{"name", "one"}, {"code", "second"}, {"note", "kept"}}, {{"name", "two"}, {"code", "first"}}}));
    EXPECT_FALSE(file.contains("path") || file.contains("presetMap") || file.contains("presetNames"));
    EXPECT_EQ(engine().promptDefaults(), (std::vector<std::string>{"", ""}));
}

TEST_P(EditorScriptTest, SelectingAPresetPreviewsItAndNamesTheNextSave)
{
    writeCatalog("Tessmar/lib.qvp", "Lib", {{{"name", "p"}, {"code", "x"}}, {{"name", "empty"}, {"code", ""}}});
    engine().answerPrompts({std::nullopt});
    EXPECT_EQ(edited("a", "u.select(presets(u), 'p'); addPreview(u); saveAsPreset(u); ok(u);"), "a\nx");
    EXPECT_EQ(engine().promptDefaults(), std::vector<std::string>{"p"});
    EXPECT_EQ(edited("a", "u.select(presets(u), 'empty'); replacePreview(u); ok(u);"), "Preset Preview");
    EXPECT_EQ(edited("a", "u.select(presets(u), 'p'); replacePreview(u); ok(u);"), "x");
}

TEST_P(EditorScriptTest, DoubleClickRenamesOrRemovesAPreset)
{
    writeCatalog("Tessmar/lib.qvp", "Lib", {{{"name", "p"}, {"code", "1"}}, {{"name", "q"}, {"code", "2"}}});
    engine().answerPrompts({std::string("renamed"), std::string("REMOVE"), std::nullopt});
    edited("a", "u.select(presets(u), 'p'); u.doubleClick(presets(u));"
                "u.select(presets(u), 'q'); u.doubleClick(presets(u));"
                "u.select(presets(u), 'renamed'); u.doubleClick(presets(u)); ok(u);");
    EXPECT_EQ(catalog("Tessmar/lib.qvp")["presets"], (json{{{"name", "renamed"}, {"code", "1"}}}));
    EXPECT_EQ(engine().prompts()[0], "Enter new preset name for \"p\" , or enter \"REMOVE\" to remove this preset.");
    EXPECT_EQ(engine().promptDefaults(), (std::vector<std::string>{"p", "q", "renamed"}));
}

TEST_P(EditorScriptTest, CatalogsOfAnotherTypeAreSkippedAndTheSubFolderWins)
{
    writeCatalog("a.qvp", "Same", {{{"name", "from plug-ins"}, {"code", "1"}}});
    writeCatalog("Tessmar/b.qvp", "Same", {{{"name", "from Tessmar"}, {"code", "2"}}});
    write("Tessmar/c.qvp", R"({"name": "Other", "type": "Something else", "presets": []})");
    write("Tessmar/d.qvp", "[1, 2]");
    write("Tessmar/e.txt", "not a catalog");
    edited("a", "ok(u);");
    EXPECT_EQ(engine().strings("var u = new __qvh.User(__qvh.windows[0]); u.items(catalogs(u))"),
              std::vector<std::string>{"Same"});
    EXPECT_EQ(engine().strings("u.items(presets(u))"), std::vector<std::string>{"from Tessmar"});
    EXPECT_TRUE(engine().alerts().empty());
}

TEST_P(EditorScriptTest, DuplicatePresetNamesShowTwiceAndTheLastCodeWins)
{
    writeCatalog("Tessmar/lib.qvp", "Lib", {{{"name", "p"}, {"code", "1"}}, {{"name", "p"}, {"code", "2"}}});
    EXPECT_EQ(edited("a", "u.select(presets(u), 0); replacePreview(u); ok(u);"), "2");
    EXPECT_EQ(engine().strings("var u = new __qvh.User(__qvh.windows[0]); u.items(presets(u))"),
              (std::vector<std::string>{"p", "p"}));
}

TEST_P(EditorScriptTest, AMalformedCatalogFailsTheScriptWithAnAlert)
{
    for (const char *text : {"", "{not json", "{\"name\": \"x\", \"type\": \"Quorvel Preset\"}"}) {
        write("Tessmar/bad.qvp", text);
        EXPECT_EQ(edit("keep", "ok(u);"), A_Err_GENERIC) << text;
        EXPECT_FALSE(error_.empty());
        ASSERT_FALSE(engine().alerts().empty());
        EXPECT_NE(engine().alerts().back().find("\nContact with us : support@tessmar.example"), std::string::npos);
    }
}

TEST_P(EditorScriptTest, AnExistingCatalogNameIsAWritePresetError)
{
    writeCatalog("Tessmar/Lib.qvp", "Lib", json::array());
    engine().answerPrompts({std::string("Lib")});
    EXPECT_EQ(edited("a", "addCatalog(u); ok(u);"), "a");
    ASSERT_EQ(engine().alerts().size(), 1u);
    EXPECT_EQ(engine().alerts()[0], "Write preset error: Preset file already exist.\nContact with us : support@tessmar.example");
    EXPECT_EQ(engine().handlerErrors(), std::vector<std::string>{"Preset file already exist."});
}

TEST_P(EditorScriptTest, AnUnwritableFolderIsAWritePresetError)
{
    std::system(("rm -rf '" + folder_ + "/Tessmar'").c_str());
    write("Tessmar", "a file where the folder should be");
    engine().answerPrompts({std::string("New")});
    EXPECT_EQ(edited("a", "addCatalog(u); ok(u);"), "a");
    ASSERT_EQ(engine().alerts().size(), 1u);
    EXPECT_EQ(engine().alerts()[0].rfind("Write preset error: ", 0), 0u) << engine().alerts()[0];
}

TEST_P(EditorScriptTest, AMissingSubFolderIsMadeForANewCatalog)
{
    std::system(("rm -rf '" + folder_ + "/Tessmar'").c_str());
    engine().answerPrompts({std::string("New")});
    edited("a", "addCatalog(u); ok(u);");
    EXPECT_EQ(catalog("Tessmar/New.qvp")["name"], "New");
}

// Without the host's preference no catalog can be written: the user is told
// why, and nothing is made.
TEST_P(EditorScriptTest, WithoutThePreferenceANewCatalogIsRefused)
{
    qvh::host().allowScriptAccess = false;
    engine().answerPrompts({std::string("New")});
    edited("a", "addCatalog(u); ok(u);");
    std::vector<std::string> alerts = engine().alerts();
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts[0].find("Write preset error"), std::string::npos) << alerts[0];
    EXPECT_NE(alerts[0].find("\"Allow Scripts to Write Files and Access Network\""), std::string::npos) << alerts[0];
    struct stat info;
    EXPECT_NE(stat((folder_ + "/Tessmar/New.qvp").c_str(), &info), 0);
}

TEST_P(EditorScriptTest, SavingWithoutACatalogSaysWhatToDo)
{
    edited("a", "saveAsPreset(u); ok(u);");
    EXPECT_TRUE(engine().prompts().empty());
    ASSERT_EQ(engine().alerts().size(), 1u);
}

TEST_P(EditorScriptTest, CatalogsAreReadAsStrictJsonOnly)
{
    edited("a", "ok(u);");  /* the editor's definitions, JSON among them on the legacy engine */
    auto parses = [this](const std::string &text) {
        return engine().evaluate("(function () { try { JSON.parse(" + json(text).dump() +
                                 "); return 'yes'; } catch (e) { return 'no'; } })()");
    };
    for (const char *text : {"", " ", "{not json", "{name: 1}", "{'a': 1}", "[1,]", "{\"a\": 1,}", "{\"a\": 1} x",
                             "NaN", "0x10", "01", "+1", ".5", "1.", "tru", "\"\\x41\"", "\"\\u12\"", "\"a\tb\"",
                             "[1] // note", "(function () { __ran = 1; return 1; })()",
                             "{\"a\": (function () { __ran = 1; })()}", "[1, 2"})
        EXPECT_EQ(parses(text), "no") << text;
    EXPECT_EQ(engine().evaluate("typeof __ran"), "undefined");
    EXPECT_EQ(engine().evaluate("var v = JSON.parse(' {\"a\" : [1, -2.5e3, true, false, null, "
                                "\"\\\\u00e9\\\\n\\\\/\\\\\"\"], \"b\": {}} '); "
                                "[v.a[0], v.a[1], v.a[2], v.a[3], v.a[4], v.a[5], typeof v.b].join('|')"),
              "1|-2500|true|false||\xC3\xA9\n/\"|object");
    write("Tessmar/evil.qvp", "{\"name\": \"x\", \"type\": \"Quorvel Preset\", \"version\": 1, "
                              "\"presets\": [], \"z\": (function () { __ran = 1; return 1; })()}");
    EXPECT_EQ(edit("keep", "ok(u);"), A_Err_GENERIC);
    EXPECT_EQ(engine().evaluate("typeof __ran"), "undefined");
}

// Names are data: a catalog or preset named like a built-in property is
// added, saved, listed and read back as any other, and the editor still opens.
TEST_P(EditorScriptTest, NamesOfBuiltInPropertiesAreCatalogsAndPresetsLikeAnyOther)
{
    for (const char *name : {"hasOwnProperty", "__proto__"}) {  /* a method the script calls; the prototype */
        std::system(("rm -f '" + folder_ + "/Tessmar/'*.qvp").c_str());
        engine().restart({GetParam(), "Linux"});  /* no alert or window of the row before */
        ASSERT_EQ(run(kUserHelpers), A_Err_NONE);
        engine().answerPrompts({std::string(name), std::string(name)});
        EXPECT_EQ(edited("x", "addCatalog(u); saveAsPreset(u); ok(u);"), "x") << name;
        EXPECT_EQ(engine().alerts(), std::vector<std::string>{}) << name;
        const std::string file = std::string("Tessmar/") + name + ".qvp";
        EXPECT_EQ(catalog(file), (json{{"name", name}, {"type", "Quorvel Preset"}, {"version", 1},
                                       {"presets", {{{"name", name}, {"code", "x"}}}}})) << name;
        std::string quoted = json(name).dump();
        EXPECT_EQ(edited("a", "u.select(presets(u), " + quoted + "); replacePreview(u); ok(u);"), "x") << name;
        EXPECT_EQ(engine().strings("var u = new __qvh.User(__qvh.windows[__qvh.windows.length - 1]);"
                                   "u.items(catalogs(u))"),
                  std::vector<std::string>{name});
        EXPECT_EQ(engine().strings("u.items(presets(u))"), std::vector<std::string>{name});
    }
}

// Keys of a catalog file that are named like built-in properties are kept
// as keys, through the legacy engine's own JSON too.
TEST_P(EditorScriptTest, KeysNamedLikeBuiltInPropertiesSurviveASave)
{
    write("Tessmar/lib.qvp", R"({"name": "Lib", "type": "Quorvel Preset", "version": 1, "presets": [],
        "hasOwnProperty": 1, "__proto__": {"x": 2}})");
    engine().answerPrompts({std::string("p")});
    edited("code", "saveAsPreset(u); ok(u);");
    EXPECT_EQ(engine().alerts(), std::vector<std::string>{});
    json file = catalog("Tessmar/lib.qvp");
    EXPECT_EQ(file["hasOwnProperty"], 1);
    EXPECT_EQ(file["__proto__"], (json{{"x", 2}}));
    EXPECT_EQ(file["presets"], (json{{{"name", "p"}, {"code", "code"}}}));
}

INSTANTIATE_TEST_SUITE_P(CurrentAndLegacyEngines, EditorScriptTest, ::testing::Bool());

} // namespace
