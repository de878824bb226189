// A script that never ends must not hang the host. The host
// asks effects to stop through PF_InData's abort callback; a count hook asks it
// every kAbortCheckInterval instructions and stops the script when it says so.
#include "lua/host_functions.h"
#include "lua/lua_check.h"
#include "lua/runtime_context.h"

namespace qv {
namespace {

constexpr int kAbortCheckInterval = 250000;  // well under a millisecond of Lua

bool hostWantsStop(RuntimeContext &rc)
{
    if (rc.aborted)
        return true;
    const PCData &pc = rc.pcData;
    if (pc.abortCheck && pc.abortCheck(pc.effectRef) != PF_Err_NONE)
        rc.aborted = true;
    return rc.aborted;
}

// Once stopped, the hook fires on every instruction, so a script that catches
// the error with pcall meets it again at its very next instruction.
[[noreturn]] void stopScript(lua_State *L)
{
    lua_sethook(L, [](lua_State *L1, lua_Debug *) { raiseMessage(L1, kAbortMessage); }, LUA_MASKCOUNT, 1);
    raiseMessage(L, kAbortMessage);
}

void countHook(lua_State *L, lua_Debug *)
{
    RuntimeContext *rc = runtimeContextOf(L);
    if (rc && hostWantsStop(*rc))
        stopScript(L);
}

} // namespace

const char kAbortMessage[] = "Script stopped: the host cancelled the render.";

void installAbortHook(lua_State *L)
{
    lua_sethook(L, countHook, LUA_MASKCOUNT, kAbortCheckInterval);
}

void checkAbort(lua_State *L)
{
    RuntimeContext *rc = runtimeContextOf(L);
    if (rc && hostWantsStop(*rc))
        stopScript(L);
}

} // namespace qv
