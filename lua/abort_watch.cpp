// A script that never ends must not hang the host. The host asks effects to
// stop through PF_InData's abort callback, which is asked on the render thread
// from a Lua count hook. A hook that stays installed slows every Lua
// instruction (about 1.6x on plain loops), so during a run a watchdog thread
// arms a one-instruction hook every kAskInterval instead, the way lua.c stops
// a script on Ctrl-C from a signal handler: Lua lets lua_sethook be called
// asynchronously (scripts/tsan.supp says why that holds from another thread).
// The hook asks the host once and disarms itself.
// Coroutines run on Lua threads of their own that the watchdog cannot see;
// they get a standing count hook from their creation on.
// An error raised by a hook runs the message handlers with hooks off, so a
// script's own handler (xpcall) is not run once the host asked to stop: a
// loop in it could never be stopped.
#include "lua/abort_watch.h"
#include "lua/host_functions.h"
#include "lua/in_place.h"
#include "lua/runtime_context.h"

#include <cstdlib>

namespace qv {
namespace {

constexpr auto kAskInterval = std::chrono::milliseconds(10);
constexpr int kCoroutineCheckInterval = 250000;  // instructions

bool hostWantsStop(RuntimeContext &rc)
{
    if (rc.aborted)
        return true;
    const PCData &pc = rc.pcData;
    if (pc.abortCheck && pc.abortCheck(pc.effectRef) != PF_Err_NONE)
        rc.aborted = true;
    return rc.aborted;
}

// The abort's error carries no position: the host's cancel, not a line of
// the script, ended the run.
[[noreturn]] void raiseAbort(lua_State *L)
{
    lua_pushstring(L, kAbortMessage);
    lua_error(L);
    std::abort();  /* not reached: lua_error throws (Lua is built as C++) */
}

// Once stopped, the hook fires on every instruction, so a script that catches
// the error with pcall meets it again at its very next instruction.
[[noreturn]] void stopScript(lua_State *L)
{
    lua_sethook(L, [](lua_State *L1, lua_Debug *) { raiseAbort(L1); }, LUA_MASKCOUNT, 1);
    raiseAbort(L);
}

void askHostHook(lua_State *L, lua_Debug *)
{
    lua_sethook(L, nullptr, 0, 0);  /* disarm: the watchdog arms it again */
    checkAbort(L);
}

void coroutineHook(lua_State *L, lua_Debug *)
{
    checkAbort(L);
}

// coroutine.create and coroutine.wrap: the library's function makes the
// coroutine, in place; the new Lua thread gets the standing hook.
int hookedCoroutine(lua_State *L)
{
    callOriginalInPlace(L);
    bool wrapped = lua_type(L, -1) == LUA_TFUNCTION;
    if (wrapped)
        lua_getupvalue(L, -1, 1);  /* wrap keeps its thread as upvalue 1 */
    if (lua_State *co = lua_tothread(L, -1))
        lua_sethook(co, coroutineHook, LUA_MASKCOUNT, kCoroutineCheckInterval);
    if (wrapped)
        lua_pop(L, 1);
    return 1;
}

// The script's message handler (upvalue 1), run unless the host asked to stop.
int handlerUnlessStopped(lua_State *L)
{
    RuntimeContext *rc = runtimeContextOf(L);
    if (rc && rc->aborted) {
        lua_pushstring(L, kAbortMessage);
        return 1;
    }
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    return 1;
}

// What Lua's own xpcall does, with the script's handler behind handlerUnlessStopped.
int finishProtectedCall(lua_State *L, int status, lua_KContext extra)
{
    if (status != LUA_OK && status != LUA_YIELD) {
        lua_pushboolean(L, 0);
        lua_pushvalue(L, -2);  /* the error */
        return 2;
    }
    return lua_gettop(L) - int(extra);
}

int xpcallWithGuardedHandler(lua_State *L)
{
    int n = lua_gettop(L);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    lua_pushvalue(L, 2);
    lua_pushcclosure(L, handlerUnlessStopped, 1);
    lua_replace(L, 2);
    lua_pushboolean(L, 1);  /* first result */
    lua_pushvalue(L, 1);    /* the function */
    lua_rotate(L, 3, 2);    /* both below the function's arguments */
    int status = lua_pcallk(L, n - 2, LUA_MULTRET, 2, 2, finishProtectedCall);
    return finishProtectedCall(L, status, 2);
}

} // namespace

const char kAbortMessage[] = "Script stopped: the host cancelled the render.";

bool hostAskedToStop(lua_State *L)
{
    RuntimeContext *rc = runtimeContextOf(L);
    return rc && hostWantsStop(*rc);
}

void checkAbort(lua_State *L)
{
    RuntimeContext *rc = runtimeContextOf(L);
    if (rc && hostWantsStop(*rc))
        stopScript(L);
}

void guardCoroutinesAndHandlers(lua_State *L)
{
    lua_getglobal(L, "coroutine");
    replaceInPlace(L, -1, "create", hookedCoroutine);
    replaceInPlace(L, -1, "wrap", hookedCoroutine);
    lua_pop(L, 1);
    lua_pushcfunction(L, xpcallWithGuardedHandler);
    lua_setglobal(L, "xpcall");
}

AbortWatch::AbortWatch(lua_State *L, const PCData &pc) : L_(L)
{
    if (pc.abortCheck)
        thread_ = std::thread([this] { watch(); });
}

AbortWatch::~AbortWatch()
{
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    lua_sethook(L_, nullptr, 0, 0);  /* nothing armed outlives the run */
}

void AbortWatch::watch()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, kAskInterval, [this] { return done_; }))
        lua_sethook(L_, askHostHook, LUA_MASKCOUNT, 1);  /* under the lock: never after done_ */
}

} // namespace qv
