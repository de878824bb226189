// GLSL passes (`glsl`, `full_glsl`) and the calls into the host's
// script engine (`js`, `alert` and the four debug-log functions).
#include "lua/glsl_pass.h"
#include "lua/script_functions.h"

#include "lua/abort_watch.h"
#include "lua/lua_check.h"
#include "lua/script_reach.h"
#include "support/text.h"
#include "bridge/debug_log.h"
#include "bridge/script_bridge.h"

#include <string>

namespace qv {
namespace {

int glslPass(lua_State *L, LuaGlslEngine which, bool wrap)
{
    PCData *pc = toContext(L);
    if (!pc)
        return 0;
    touchLuaGlslEngine(which);
    pc->useOutputAsInput = 0;
    std::size_t length = 0;
    const char *code = checkString(L, 2, &length);
    if (argCount(L) == 2)
        pc->useOutputAsInput = checkBoolean(L, 3) ? 1 : 0;
    checkAbort(L);  /* no new pass once the host cancelled */
    PassReport pass = runLuaGlslPass(which, std::string(code, length), *pc, wrap);
    if (pass.result == PassResult::Stopped)
        checkAbort(L);  /* the host cancelled: the script goes no further on partial pixels */
    if (!pass.log.empty())
        raiseMessage(L, pass.log.data(), pass.log.size());
    return 0;
}

// The context when its `suites` is set and, for the debug functions, its
// "Debug" switch is on; else null.
PCData *scriptContext(lua_State *L, bool needsDebug)
{
    PCData *pc = toContext(L);
    if (!pc || !pc->suites || (needsDebug && !pc->debugLog))
        return nullptr;
    return pc;
}

std::string escaped(const char *text, std::size_t length)
{
    std::string s(text, length);
    EscapeForScript(s);
    return s;
}

// debug_sub and debug_remain: the count is 1 unless an integer is given.
int sendCount(lua_State *L, std::string (*script)(long long count))
{
    PCData *pc = scriptContext(L, true);
    if (!pc)
        return 0;
    int32_t count = lua_isinteger(L, 2) ? int32_t(lua_tointeger(L, 2)) : 1;
    RunScript(*pc->suites, script(count));
    return 0;
}

} // namespace

int luaGlsl(lua_State *L)
{
    return glslPass(L, LuaGlslEngine::Glsl, true);
}

int luaFullGlsl(lua_State *L)
{
    return glslPass(L, LuaGlslEngine::UnwrappedGlsl, false);
}

// The host's engine reads, writes and removes files and reaches the network
// with nothing to bound it, so a script's text runs there only where the host
// lets scripts do so.
int luaJs(lua_State *L)
{
    PCData *pc = toContext(L);
    if (pc && !pc->scriptAccess)
        raiseMessage(L, scriptAccessOffMessage("qv.js").c_str());
    pc = scriptContext(L, false);
    if (!pc || !lua_isstring(L, 2))
        return 0;
    checkAbort(L);  /* no new script once the host cancelled */
    ScriptResult r = RunScriptWithResult(*pc->suites, lua_tostring(L, 2));
    checkAbort(L);  /* a script the host stopped stops the Lua script too */
    lua_pushlstring(L, r.result.data(), r.result.size());  /* empty where no handle came back */
    lua_pushlstring(L, r.error.data(), r.error.size());
    return 2;
}

int luaAlert(lua_State *L)
{
    PCData *pc = scriptContext(L, false);
    if (!pc)
        return 0;
    std::size_t length = 0;
    const char *message = checkString(L, 2, &length);
    RunScript(*pc->suites, "alert(\"" + escaped(message, length) + "\",\"Quorvel Lua alert\");");
    return 0;
}

int luaDebugAdd(lua_State *L)
{
    PCData *pc = scriptContext(L, true);
    if (!pc || argCount(L) != 1 || !lua_isstring(L, 2))
        return 0;
    std::size_t length = 0;
    const char *text = lua_tolstring(L, 2, &length);
    RunScript(*pc->suites, DebugLogAddScript(std::string(text, length)));
    return 0;
}

int luaDebugSub(lua_State *L)
{
    return sendCount(L, DebugLogSubScript);
}

int luaDebugRemain(lua_State *L)
{
    return sendCount(L, DebugLogRemainScript);
}

int luaDebugClear(lua_State *L)
{
    if (PCData *pc = scriptContext(L, true))
        RunScript(*pc->suites, DebugLogClearScript());
    return 0;
}

} // namespace qv
