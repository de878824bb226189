// The Lua state, the prelude, the globals, the run and its message.
#include "common/lua_fixture.h"
#include "lua/abort_watch.h"
#include "lua/host_functions.h"

#include <atomic>
#include <set>
#include <regex>
#include <iterator>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

namespace {

using RuntimeTest = LuaTest;

TEST(LuaRuntimeConstruction, ContextStartsWithTheSpecDefaults)
{
    auto rt = qv::LuaRuntime::create();
    ASSERT_TRUE(rt);
    qv::PCData &pc = *rt->context();
    EXPECT_EQ(pc.magic, qv::kPCDataMagic);
    EXPECT_EQ(pc.depth, 8);
    EXPECT_EQ(pc.bytesPerPixel, 0);
    EXPECT_EQ(pc.width, 2);
    EXPECT_EQ(pc.height, 2);
    EXPECT_EQ(pc.params, nullptr);
    EXPECT_EQ(pc.outputWorld, nullptr);
    EXPECT_EQ(pc.useOutputAsInput, 0);
    EXPECT_EQ(lua_gettop(rt->state()), 0);
}

TEST(LuaRuntimeConstruction, InitialChunkMakesTheTablesAndPublishesTheContext)
{
    auto rt = qv::LuaRuntime::create();
    lua_State *L = rt->state();
    lua_getglobal(L, "__PCData__");
    lua_getfield(L, -1, "pcData");
    EXPECT_EQ(lua_touserdata(L, -1), rt->context());
    EXPECT_EQ(lua_type(L, -1), LUA_TLIGHTUSERDATA);
    lua_getfield(L, -2, "width");
    EXPECT_TRUE(lua_isinteger(L, -1));
    EXPECT_EQ(lua_tointeger(L, -1), 2);
    lua_settop(L, 0);
    EXPECT_EQ(lua_getglobal(L, "__PCFuncs__"), LUA_TTABLE);
    EXPECT_EQ(lua_getglobal(L, "pc"), LUA_TTABLE);
    lua_settop(L, 0);
}

TEST(LuaRuntimeConstruction, CloseTwiceIsHarmlessAndFreesTheContext)
{
    auto rt = qv::LuaRuntime::create();
    rt->registerHostFunctions();
    rt->close();
    EXPECT_EQ(rt->context(), nullptr);
    EXPECT_EQ(rt->state(), nullptr);
    rt->close();
}

// Every host function the prelude's wrappers call is registered as a function,
// and nothing else is: the names come from the prelude file itself.
TEST_F(RuntimeTest, RegistrationGivesThePreludeEveryFunctionItCalls)
{
    std::ifstream file(QV_SOURCE_DIR "/lua/prelude.lua");
    std::string prelude((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::set<std::string> called;
    std::regex call("__PCFuncs__\\.(\\w+)");
    for (std::sregex_iterator it(prelude.begin(), prelude.end(), call), end; it != end; ++it)
        called.insert((*it)[1]);
    ASSERT_FALSE(called.empty());
    std::string expected;
    for (const std::string &name : called)
        expected += name + " ";
    EXPECT_EQ(run("local names = {} for k, v in pairs(__PCFuncs__) do assert(type(v) == 'function') "
                  "names[#names + 1] = k end table.sort(names) return table.concat(names, ' ') .. ' '"),
              expected);
}

TEST_F(RuntimeTest, PreludePublishesQvAndLeavesPcNil)
{
    EXPECT_EQ(run("return tostring(pc)"), "nil");
    EXPECT_EQ(run("return tostring(qv.report == qv.debug.add)"), "true");
    EXPECT_EQ(run("return tostring(qv.cmd ~= nil and qv.lua ~= nil)"), "true");
    EXPECT_EQ(run("local n = 0 for k in pairs(qv) do n = n + 1 end return n"), "13");
    EXPECT_EQ(run("local n = 0 for k in pairs(qv.request) do n = n + 1 end return n"), "5");
    EXPECT_EQ(run("local n = 0 for k in pairs(qv.debug) do n = n + 1 end return n"), "4");
}

TEST_F(RuntimeTest, GlobalsComeFromTheContext)
{
    frame(1920, 1080, 16);
    EXPECT_EQ(run("return tostring(width)"), "1920.0");
    EXPECT_EQ(run("return tostring(height)"), "1080.0");
    EXPECT_EQ(run("return tostring(depth)"), "16.0");
    EXPECT_EQ(run("return tostring(time)"), "1.5");
    EXPECT_EQ(run("return math.type(platform) .. platform .. math.type(host) .. host"), "integer0integer0");
    EXPECT_EQ(run("return pluginFolder"), "C:\\\\Plug-ins");
    EXPECT_EQ(run("return __PCData__.width .. 'x' .. __PCData__.height"), "2x2");
}

TEST_F(RuntimeTest, StandardLibrariesAreAllOpen)
{
    EXPECT_EQ(run("return type(io) .. type(os) .. type(utf8) .. type(debug) .. type(bit32) .. type(coroutine)"),
              "tabletabletabletabletabletable");
}

TEST_F(RuntimeTest, MessagesFollowTheLastReturnedValue)
{
    EXPECT_EQ(run(""), std::nullopt);
    EXPECT_EQ(run("return 'done'"), "done");
    EXPECT_EQ(run("return 42"), "42");
    EXPECT_EQ(run("return 1, 'last'"), "last");
    EXPECT_EQ(run("return {}"), std::nullopt);
    EXPECT_EQ(run("local x = 1"), std::nullopt);
    EXPECT_EQ(run("error('boom', 0)"), "boom");
}

// The package-path set-up runs as a chunk of its own: errors count the
// script's own lines.
TEST_F(RuntimeTest, ErrorsNameTheScriptsOwnLines)
{
    std::string m = rawError("x = = 1");
    EXPECT_NE(m.find("[string \"x = = 1\"]:1:"), std::string::npos) << m;
    m = rawError("\n\nerror('third')");
    EXPECT_NE(m.find("]:3: third"), std::string::npos) << m;
}

// The plug-in's own errors name the script's line as Lua's library errors
// do, past the prelude's wrappers; a tail call leaves only the chunk to name.
TEST_F(RuntimeTest, PlugInErrorsNameTheScriptsLine)
{
    const struct {
        const char *script, *expected;
    } rows[] = {
        {"local x = 1\nqv.ch('slider', 42)", "[string \"local x = 1...\"]:2: Index should be an integer in range 0~9."},
        {"\nos.exit(1)", "[string \"...\"]:2: os.exit is not available"},
        {"return qv.ch('slider', 42)", "[string \"return qv.ch('slider', 42)\"]: Index should be"},
        {"return select(2, pcall(qv.ch, 'slider', 42))", "Index should be"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(rawError(row.script).find(row.expected), 0u) << row.script << ": " << rawError(row.script);
}

// What the search-path chunk leaves behind: the plug-in folder's "Tessmar"
// sub-folder and the folder itself, after the standard paths once scripts
// may touch files, and alone before.
TEST_F(RuntimeTest, ModuleSearchPathsEndWithThePluginFolders)
{
    const std::string folder = pluginFolder_;
    std::string both = run("return package.path .. '\\n' .. package.cpath").value_or("");
    EXPECT_EQ(both, ";" + folder + "/Tessmar/?.lua;" + folder + "/?.lua;\n;" + folder + "/Tessmar/?.co;" + folder +
                        "/?.co;");
    freshState(true);
    both = run("return package.path .. '\\n' .. package.cpath").value_or("");
    std::size_t split = both.find('\n');
    ASSERT_NE(split, std::string::npos) << both;
    const std::string paths[][2] = {
        {both.substr(0, split), ";" + folder + "/Tessmar/?.lua;" + folder + "/?.lua;"},
        {both.substr(split + 1), ";" + folder + "/Tessmar/?.co;" + folder + "/?.co;"},
    };
    for (const auto &[value, tail] : paths) {
        ASSERT_GT(value.size(), tail.size()) << value;
        EXPECT_EQ(value.substr(value.size() - tail.size()), tail) << value;
        EXPECT_EQ(value.find(';' + folder), value.size() - tail.size()) << value << ": added once, at the end";
    }
}

TEST_F(RuntimeTest, RequireFindsModulesInThePluginFolderAndTessmar)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("qv_lua_require_" + std::to_string(::getpid()));
    fs::create_directories(dir / "Tessmar");
    std::ofstream(dir / "top_mod.lua") << "return 'top'";
    std::ofstream(dir / "Tessmar" / "sub_mod.lua") << "return 'sub'";
    pluginFolder_ = dir.string();
    pc().pluginFolder = pluginFolder_.c_str();
    EXPECT_EQ(run("return require('top_mod') .. require('sub_mod')"), "topsub");
    fs::remove_all(dir);
}

TEST_F(RuntimeTest, QvLuaRunsTextAndFailsOnBadText)
{
    EXPECT_EQ(run("return qv.lua('return 1+1')"), "2");
    EXPECT_NE(error("qv.lua('return +')").find("attempt to call a nil value"), std::string::npos);
}

TEST_F(RuntimeTest, ForgedContextsChangeNothing)
{
    output_->set<uint8_t>(0, 0, 9, 9, 9, 9);
    const char *calls[] = {
        "__PCFuncs__.setColor(%s, 0, 0, 1, 1, 1, 1)", "__PCFuncs__.in2out(%s)",
        "__PCFuncs__.alert(%s, 'x')", "__PCFuncs__.js(%s, 'x')", "__PCFuncs__.debug_clear(%s)",
        "__PCFuncs__.glsl(%s, 'x')", "__PCFuncs__.httpRequest(%s, 0, 1, 'h', 1, '/', '', '')"};
    for (const char *forged : {"nil", "42", "'text'", "{}", "io.stdout"})
        for (const char *call : calls) {
            char code[256];
            std::snprintf(code, sizeof code, call, forged);
            EXPECT_EQ(run(std::string("return select('#', ") + code + ")"), "0") << code;
        }
    EXPECT_EQ(run("return select('#', __PCFuncs__.ch(nil, 'slider', 0))"), "0");
    EXPECT_EQ(output_->get<uint8_t>(0, 0), (std::vector<uint8_t>{9, 9, 9, 9}));
    EXPECT_TRUE(scripts().empty());
}

int callWithZeroedUserdata(lua_State *L)
{
    static uint32_t notMagic[64] = {};
    lua_getglobal(L, "__PCFuncs__");
    lua_getfield(L, -1, lua_tostring(L, 1));
    lua_pushlightuserdata(L, notMagic);
    lua_pushinteger(L, 0);
    lua_pushinteger(L, 0);
    lua_pushinteger(L, 1);
    lua_pushinteger(L, 1);
    lua_pushinteger(L, 1);
    lua_pushinteger(L, 1);
    lua_call(L, 7, LUA_MULTRET);
    lua_pushinteger(L, lua_gettop(L) - 2);
    return 1;
}

TEST_F(RuntimeTest, LightUserdataWithoutTheMagicWordChangesNothing)
{
    lua_register(L(), "forge", callWithZeroedUserdata);
    for (const char *name : {"setColor", "getColor", "ch", "in2out", "alert", "debug_add", "httpRequest"})
        EXPECT_EQ(run(std::string("return forge('") + name + "')"), "0") << name;
    EXPECT_EQ(output_->get<uint8_t>(0, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
}

std::atomic<bool> lockWasFree{true};

int probeLuaLock(lua_State *)
{
    std::thread other([] {
        bool got = qv::luaLock().try_lock();
        if (got)
            qv::luaLock().unlock();
        lockWasFree = got;
    });
    other.join();
    return 0;
}

TEST_F(RuntimeTest, TheScriptRunsUnderTheLuaLock)
{
    lua_register(L(), "probe", probeLuaLock);
    run("probe()");
    EXPECT_FALSE(lockWasFree);
}

// ---- the host's abort callback ----

std::atomic<int> abortAsks{0};
int abortAfter = 0;

PF_Err countingAbort(PF_ProgPtr)
{
    return ++abortAsks > abortAfter ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

class AbortTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        abortAsks = 0;
        abortAfter = 3;
        pc().abortCheck = countingAbort;
    }

    // A new runtime, as the next render gets, asked afresh.
    void restart()
    {
        freshState(false);
        abortAsks = 0;
        pc().abortCheck = countingAbort;
    }
};

TEST_F(AbortTest, AnEndlessLoopStopsWithTheCancelCode)
{
    EXPECT_EQ(run("while true do end"), qv::kAbortMessage);
    EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL);
    EXPECT_EQ(abortAsks, 4);
}

TEST_F(AbortTest, CatchingTheStopWithPcallDoesNotHelp)
{
    EXPECT_EQ(run("while true do pcall(function() while true do end end) end"), qv::kAbortMessage);
    EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL);
}

// The stop's error is raised from a hook, where the message handler runs with
// hooks off: a script's handler is not run then. Pattern matching runs in C,
// where no hook fires: the matcher asks the host itself.
TEST_F(AbortTest, LoopsNoHookReachesStopToo)
{
    const char *scripts[] = {
        "xpcall(function() while true do end end, function() while true do end end)",
        "coroutine.wrap(function() xpcall(function() while true do end end, function() while true do end end) end)()",
        "return (string.rep('a', 300000)):find('a*a*b')",
        "return (string.rep('a', 300000)):gsub('a-a-b', '')",
        "for w in (string.rep('a', 300000)):gmatch('a*a*b') do end",
    };
    for (const char *script : scripts) {
        restart();
        EXPECT_NE(run(script).value_or("").find(qv::kAbortMessage), std::string::npos) << script;
        EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL) << script;
    }
    restart();
    EXPECT_EQ(run("return select(2, xpcall(error, function(m) return 'handled ' .. m end, 'x', 0))"), "handled x");
}

// A plain search is linear: a long needle that nearly matches everywhere
// (quadratic in Lua's own search) ends without the abort being needed.
TEST_F(AbortTest, PlainSearchesAreLinear)
{
    abortAfter = 1000000;
    EXPECT_EQ(run("local text, needle = string.rep('a', 4000000), string.rep('a', 2000000) .. 'b' "
                  "return tostring(text:find(needle, 1, true)) .. tostring(text:find(needle)) .. "
                  "(text .. 'b'):find(needle, 1, true) .. ('xabcabd'):find('abd', 1, true)"),
              "nilnil20000015");
    EXPECT_EQ(lastResult_, PF_Err_NONE);
}

// A coroutine runs on a Lua thread of its own, which the main thread's
// watchdog hook never reaches. The loop is long (seconds) but bounded, so a
// coroutine left unhooked shows as a finished count rather than a hang. A
// resume catches the coroutine's stop; the main thread's own endless loop
// then meets it.
class CoroutineAbortTest : public AbortTest, public ::testing::WithParamInterface<const char *> {};

TEST_P(CoroutineAbortTest, CoroutinesStopToo)
{
    std::string m = error(std::string("n = 0 function loop() for i = 1, 100000000 do n = i end end ") + GetParam() +
                          " while true do end");
    EXPECT_NE(m.find(qv::kAbortMessage), std::string::npos) << m;  // wrap adds a position
    EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL);
    lua_getglobal(L(), "n");
    EXPECT_LT(lua_tointeger(L(), -1), 100000000) << "the coroutine ran to its end";
    lua_pop(L(), 1);
}

INSTANTIATE_TEST_SUITE_P(CreatedOrWrapped, CoroutineAbortTest,
                         ::testing::Values("coroutine.resume(coroutine.create(loop))", "coroutine.wrap(loop)()",
                                           "coroutine.wrap(function() coroutine.resume(coroutine.create(loop)) end)()"));

TEST_F(AbortTest, ScriptsThatEndAreUntouched)
{
    abortAfter = 1000000;
    EXPECT_EQ(run("local t = os.clock() while os.clock() - t < 0.05 do end return 'done'"), "done");
    EXPECT_EQ(lastResult_, PF_Err_NONE);
    EXPECT_GT(abortAsks, 0);
}

TEST_F(AbortTest, HostFunctionLoopsAskTheHost)
{
    abortAfter = 0;
    EXPECT_EQ(run("qv.in2out() return 'after'"), qv::kAbortMessage);
    EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL);
}

TEST_F(RuntimeTest, AMissingSuiteInsideTheScriptEndsTheCommandWith516)
{
    qvh::host().faults.removeSuite(kAEGPUtilitySuite);
    try {
        runtime_->run("pcall(qv.alert, '1') return 'went on'");
        FAIL() << "no host error";
    } catch (PF_Err err) {
        EXPECT_EQ(err, qv::kMissingSuiteError);
    }
    runtime_->takeMessage();
}

TEST_F(RuntimeTest, AHostsOwnExceptionIsHandedOnAfterTheScript)
{
    qvh::host().faults.throwFrom("AEGP_ExecuteScript");
    EXPECT_THROW(runtime_->run("qv.alert('x')"), std::runtime_error);
}

} // namespace
