// What a script from someone else's project may reach: files, processes,
// native modules and the network only with the host's preference on; never
// the host's life, the abort hook, finalizers or binary chunks. Also the
// messages of non-string errors and the memory cap.
#include "common/lua_fixture.h"
#include "lua/pattern_guard.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char kPreferenceName[] = "\"Allow Scripts to Write Files and Access Network\"";

class ScriptReachTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        dir_ = fs::temp_directory_path() / ("qv_lua_reach_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        LuaTest::TearDown();
    }

    std::string path(const std::string &name) { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(ScriptReachTest, WithoutThePreferenceFilesProcessesAndModulesAreRefusedByName)
{
    std::ofstream(path("existing.txt")) << "secret";
    std::ofstream(path("native_mod.co")) << "not really a library";
    struct Row {
        const char *call;  // a script that must fail
        const char *named;  // what the message names
    };
    const std::string f = "'" + path("existing.txt") + "'";
    const Row rows[] = {
        {"os.execute('touch ' .. F .. '2')", "os.execute"},
        {"qv.cmd('true')", "os.execute"},
        {"os.remove(F)", "os.remove"},
        {"os.rename(F, F .. '2')", "os.rename"},
        {"os.tmpname()", "os.tmpname"},
        {"io.open(F)", "io.open"},
        {"io.open(F, 'w')", "io.open"},
        {"io.lines(F)", "io.lines"},
        {"io.write('x')", "io.write"},
        {"io.popen('true')", "io.popen"},
        {"dofile(F)", "dofile"},
        {"loadfile(F)", "loadfile"},
        {"package.loadlib('libc.so.6', 'abort')", "package.loadlib"},
        {"require('native_mod')", "require of the native module 'native_mod'"},
        {"os.getenv('HOME')", "os.getenv"},
        {"package.searchpath('existing', '/etc/?')", "package.searchpath outside the plug-in folders"},
        {"package.searchpath('..', package.path)", "package.searchpath outside the plug-in folders"},
    };
    for (const Row &row : rows) {
        freshState(false);
        pluginFolder_ = dir_.string();
        pc().pluginFolder = pluginFolder_.c_str();
        std::string m = error("local F = " + f + " " + row.call);
        EXPECT_EQ(m.find(row.named), 0u) << row.call << ": " << m;
        EXPECT_NE(m.find(kPreferenceName), std::string::npos) << m;
        EXPECT_NE(m.find("Preferences > Scripting & Expressions"), std::string::npos) << m;
    }
    EXPECT_TRUE(fs::exists(path("existing.txt")));
    EXPECT_FALSE(fs::exists(path("existing.txt2")));
    std::ifstream in(path("existing.txt"));
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "secret");
}

TEST_F(ScriptReachTest, WithoutThePreferenceTheStandardFilesAreOutOfReachToo)
{
    freshState(false);
    EXPECT_EQ(run("return tostring(io.stdout) .. tostring(io.stderr) .. tostring(io.type(42))"), "nilnilnil");
}

TEST_F(ScriptReachTest, LuaModulesStillLoadWithoutThePreference)
{
    freshState(false);
    std::ofstream(path("plain_mod.lua")) << "return 'plain'";
    pluginFolder_ = dir_.string();
    pc().pluginFolder = pluginFolder_.c_str();
    EXPECT_EQ(run("return require('plain_mod')"), "plain");
    EXPECT_NE(error("require('nowhere_mod')").find("module 'nowhere_mod' not found"), std::string::npos);
    // A path the script sets cannot reach other files.
    fs::create_directories(dir_ / "elsewhere");
    std::ofstream(dir_ / "elsewhere" / "secret.lua") << "return 'secret'";
    std::string m = error("package.path = '" + (dir_ / "elsewhere" / "?.lua").string() + "' return require('secret')");
    EXPECT_NE(m.find("module 'secret' not found"), std::string::npos) << m;
    // Nor can a name climb out of the plug-in folders, and the defaults (the
    // working folder among them) are not searched.
    for (const char *name : {"elsewhere/secret", "/../elsewhere/secret", "..", "a..b"}) {
        m = error(std::string("return require('") + name + "')");
        EXPECT_NE(m.find("not found"), std::string::npos) << name << ": " << m;
    }
    EXPECT_EQ(run("return package.searchpath('plain_mod', package.path)"), path("plain_mod.lua"));
}

TEST_F(ScriptReachTest, WithThePreferenceFilesAndProcessesWorkAsBefore)
{
    freshState(true);
    std::string f = "'" + path("written.txt") + "'";
    EXPECT_EQ(run("local h = io.open(" + f + ", 'w') h:write('made') h:close() "
                  "local r = io.open(" + f + "):read('a') os.rename(" + f + ", " + f + " .. '2') "
                  "return r .. tostring(os.execute('true')) .. type(os.tmpname())"),
              "madetruestring");
    EXPECT_TRUE(fs::exists(path("written.txt2")));
    std::ofstream(path("own_path_mod.lua")) << "return 'found'";
    EXPECT_EQ(run("package.path = '" + path("?.lua") + "' return require('own_path_mod')"), "found");
}

TEST_F(ScriptReachTest, OsExitNeverEndsTheHost)
{
    for (bool access : {false, true}) {
        freshState(access);
        std::string m = error("os.exit(7)");
        EXPECT_NE(m.find("os.exit is not available"), std::string::npos) << m;
        EXPECT_EQ(run("return select(2, pcall(os.exit, true, true)):sub(1, 7)"), "os.exit");
    }
}

TEST_F(ScriptReachTest, TheLocaleCanBeReadButNotChanged)
{
    EXPECT_EQ(run("return type(os.setlocale())"), "string");
    EXPECT_NE(error("os.setlocale('C')").find("os.setlocale can only query"), std::string::npos);
}

TEST_F(ScriptReachTest, TheAbortHookCannotBeRemovedOrBypassed)
{
    EXPECT_NE(error("debug.sethook()").find("debug.sethook is not available"), std::string::npos);
    EXPECT_NE(error("coroutine.wrap(function() debug.sethook() end)()").find("debug.sethook is not available"),
              std::string::npos);
    // The wrappers' originals are upvalues of C functions, which show none.
    EXPECT_EQ(run("return select('#', debug.getupvalue(coroutine.create, 1)) .. "
                  "select('#', debug.getupvalue(debug.getupvalue, 1)) .. "
                  "select('#', debug.setupvalue(coroutine.wrap, 1, print))"),
              "000");
    // Lua functions keep theirs.
    EXPECT_EQ(run("local up = 5 local function f() return up end return (debug.getupvalue(f, 1))"), "up");
}

TEST_F(ScriptReachTest, FinalizersAreRefusedWhereverTheyWouldBeSet)
{
    for (const char *script : {"setmetatable({}, {__gc = function() while true do end end})",
                               "debug.setmetatable({}, {__gc = true})",
                               "local mt = {} setmetatable({}, mt) mt.__gc = print setmetatable({}, mt)"}) {
        std::string m = error(script);
        EXPECT_NE(m.find("Finalizers (__gc) are not available"), std::string::npos) << script << ": " << m;
    }
    EXPECT_EQ(run("return getmetatable(setmetatable({}, {__index = {x = 'kept'}})).__index.x"), "kept");
}

TEST_F(ScriptReachTest, FinalizersOfTheLibrariesCannotBeReplaced)
{
    freshState(true);
    std::string f = "'" + path("f.txt") + "'";
    EXPECT_EQ(run("local h = io.open(" + f + ", 'w') local a, b = getmetatable(h), debug.getmetatable(h) h:close() "
                  "return tostring(a) .. tostring(b)"),
              "falsefalse");
    EXPECT_NE(error("debug.getregistry()").find("debug.getregistry is not available"), std::string::npos);
    EXPECT_EQ(run("return tostring(debug.getmetatable('').__index == string and getmetatable('').__index == string)"), "true");
}

TEST_F(ScriptReachTest, PatternsWhoseWorstCaseCannotBeStoppedAreRefused)
{
    std::string m = error("return string.find(string.rep('a', 3000), '.-.-.-.-.-.-b')");
    EXPECT_NE(m.find("Pattern too complex"), std::string::npos) << m;
    m = error("return (string.rep('a', 3000)):match('%a*%a*%a*%a*b')");
    EXPECT_NE(m.find("Pattern too complex"), std::string::npos) << m;
    // Ordinary patterns on long texts, plain finds and short subjects go through.
    EXPECT_EQ(run("local s = string.rep('key=value; ', 20000) local n = 0 "
                  "for k, v in s:gmatch('(%w+)=(%w+)') do n = n + 1 end "
                  "local _, spaces = s:gsub('%s+', ' ') "
                  "return n .. ' ' .. tostring(s:find('.-.-.-.-b', 1, true)) .. ' ' .. spaces"),
              "20000 nil 20000");
    EXPECT_EQ(run("return ('  x  '):match('^%s*(.-)%s*$') .. ('aab'):find('a-a-a-b')"), "x1");
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "word ";
    EXPECT_EQ(run("local s = ('  ' .. string.rep('word ', 20000) .. '  '):match('^%s*(.-)%s*$') return #s"), "99999");
    EXPECT_EQ(qv::PatternWorstCase("%d+%.%d*[eE]?", std::string(100000, '1'), true), 0);  /* two items: left alone */
    std::string optional;  /* "a?" forty times, then "a" forty times: exponential */
    for (int i = 0; i < 40; ++i)
        optional.insert(0, "a?") += "a";
    EXPECT_GT(qv::PatternWorstCase(optional, std::string(40, 'a'), true), 2e9);
    EXPECT_EQ(qv::PatternWorstCase(optional, std::string(40, 'b'), true), 0);  /* no 'a' to try twice */
    m = error("return string.rep('a', 40):match(string.rep('a?', 40) .. string.rep('a', 40))");
    EXPECT_NE(m.find("Pattern too complex"), std::string::npos) << m;
    EXPECT_LT(qv::PatternWorstCase("^%s*(.-)%s*$", text, true), 2e9);  /* only '.' stretches far */
    EXPECT_LT(qv::PatternWorstCase("^[%]]*.-(x+)", std::string(1000, ']'), true), 2e9);
    EXPECT_GT(qv::PatternWorstCase("^[%]]*.-(x+)", std::string(200000, ']'), true), 2e9);
    EXPECT_GT(qv::PatternWorstCase("[^x]*[a-c]*%A-b", std::string(3000, 'b'), false), 2e9);
    EXPECT_LT(qv::PatternWorstCase("[^x]*[a-c]*%A-b", std::string(3000, 'x'), false), 2e9);  /* nothing to stretch over */
}

TEST_F(ScriptReachTest, LoopsInCThatNoHookReachesAreCutShort)
{
    EXPECT_EQ(run("return '[' .. string.rep('', 1e15) .. ('') :rep(1 << 50, '') .. ']' .. ('ab'):rep(2, ',')"),
              "[]ab,ab");
    std::string m = error("table.move({}, 1, 1e15, 2)");
    EXPECT_NE(m.find("table.move: more than"), std::string::npos) << m;
    m = error("table.move({}, math.mininteger, -1, 1)");
    EXPECT_NE(m.find("table.move: more than"), std::string::npos) << m;
    EXPECT_EQ(run("return table.concat(table.move({1, 2, 3}, 1, 3, 2), ',')"), "1,1,2,3");
}

TEST_F(ScriptReachTest, BinaryChunksAreRefusedTextChunksLoad)
{
    EXPECT_EQ(run("local f, m = load(string.dump(function() return 1 end)) return tostring(f) .. ' ' .. m"),
              "nil attempt to load a binary chunk (mode is 't')");
    EXPECT_EQ(run("return load('return ...', 'n', 'bt')(3) + load('return x', 'n', 't', {x = 4})()"), "7");
}

// Every function a script can find on the stack, from inside every kind of
// callback the library makes, is one it could already reach from its globals:
// the library's originals of the restricted functions never show.
TEST_F(ScriptReachTest, NoOriginalShowsOnTheStackFromAnyCallback)
{
    const std::string grab = R"(
        local public = {}
        for _, lib in pairs({_G, string, table, coroutine, debug, os, io, math, utf8, package, package.searchers}) do
            for _, v in pairs(lib) do if type(v) == 'function' then public[v] = true end end
        end
        local leaks = 0
        local function unknownC(f)
            return type(f) == 'function' and not public[f] and debug.getinfo(f, 'S').what == 'C'
        end
        local function grab()
            for level = 2, 40 do
                local info = debug.getinfo(level, 'f')
                if not info then break end
                if unknownC(info.func) then leaks = leaks + 1 end
                for i = 1, 200 do
                    local name, value = debug.getlocal(level, i)
                    if not name then break end
                    if unknownC(value) then leaks = leaks + 1 end
                end
            end
        end
        local function handler(m) grab() return m end
    )";
    const char *routes[] = {
        "load(function() grab() return nil end)",
        "xpcall(load, handler, 42)",
        "xpcall(coroutine.create, handler, 42)",
        "xpcall(coroutine.wrap, handler, 42)",
        "xpcall(string.rep, handler)",
        "xpcall(setmetatable, handler, 1, 2)",
        "xpcall(debug.setmetatable, handler, {}, {__gc = true})",
        "xpcall(os.setlocale, handler, 'C')",
        "xpcall(string.find, handler, 'a', '(')",
        "xpcall(table.move, handler, {}, 1, 1e15, 2)",
        "string.gsub('abc', '%w', function(c) grab() return c end)",
        "table.sort({3, 1, 2}, function(a, b) grab() return a < b end)",
        "table.move(setmetatable({}, {__index = function(t, k) grab() return k end}), 1, 3, 1, {})",
        "tostring(setmetatable({}, {__tostring = function() grab() return 'x' end}))",
    };
    for (bool access : {false, true}) {
        for (const char *route : routes) {
            freshState(access);
            EXPECT_EQ(run(grab + route + " return leaks"), "0") << route;
        }
    }
}

// No path loads a precompiled chunk, with the preference on or off.
TEST_F(ScriptReachTest, NoPathLoadsABinaryChunk)
{
    std::ofstream(path("binary_mod.lua"), std::ios::binary) << "";
    freshState(true);
    std::string f = "'" + path("binary_mod.lua") + "'";
    ASSERT_EQ(run("local h = io.open(" + f + ", 'wb') h:write(string.dump(function() return 'ran' end)) h:close()"),
              std::nullopt);
    const char *calls[] = {
        "return select(2, loadfile(F))",
        "return select(2, loadfile(F, 'b'))",
        "return select(2, pcall(dofile, F))",
        "return select(2, pcall(require, 'binary_mod'))",
        "local s = string.dump(function() end) return select(2, load(function() local c = s s = nil return c end))",
    };
    for (const char *call : calls) {
        freshState(true);
        std::string m = run("package.path = '" + path("?.lua") + "' local F = " + f + " " + call).value_or("");
        EXPECT_NE(m.find("attempt to load a binary chunk"), std::string::npos) << call << ": " << m;
    }
}

TEST_F(ScriptReachTest, NonStringErrorsReportAMessageAsTheStandaloneInterpreter)
{
    EXPECT_EQ(run("error({1, 2, 3})"), "(error object is a table value)");
    EXPECT_EQ(run("error(nil)"), "(error object is a nil value)");
    EXPECT_EQ(run("error(true)"), "(error object is a boolean value)");
    EXPECT_EQ(run("error(setmetatable({}, {__tostring = function() return 'described' end}))"), "described");
    EXPECT_EQ(run("error(42)"), "42");
    EXPECT_EQ(run("return {}"), std::nullopt);  /* a returned table is still no message */
}

TEST_F(ScriptReachTest, AScriptPastTheMemoryCapFailsAndTheHostGoesOn)
{
    runtime_->setScriptMemoryCap(std::size_t(32) << 20);
    EXPECT_EQ(run("local t = {} for i = 1, 1e9 do t[i] = i end"), "not enough memory");
    EXPECT_EQ(runtime_->takeMessage(), std::nullopt);
    freshState(false);
    std::string m = error("local s = string.rep('x', (1 << 30) + 1) return #s");  /* default cap: 1 GiB */
    EXPECT_NE(m.find("not enough memory"), std::string::npos) << m;
    EXPECT_EQ(run("return #string.rep('x', 1 << 20)"), "1048576");
}

// The cap bounds what the script holds at once, not what it ever made: 256
// MiB made and dropped a MiB at a time passes a cap of 8 MiB.
TEST_F(ScriptReachTest, WhatAScriptDropsIsCreditedBackToTheCap)
{
    runtime_->setScriptMemoryCap(std::size_t(8) << 20);
    EXPECT_EQ(run("local n = 0 for i = 1, 256 do n = n + #string.rep(i % 10, 1 << 20) end return n"), "268435456");
}

} // namespace
