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
#include "lua/abort_watch.h"
#include "lua/host_functions.h"
#include "lua/lua_check.h"
#include "lua/runtime_context.h"

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

// Once stopped, the hook fires on every instruction, so a script that catches
// the error with pcall meets it again at its very next instruction.
[[noreturn]] void stopScript(lua_State *L)
{
    lua_sethook(L, [](lua_State *L1, lua_Debug *) { raiseMessage(L1, kAbortMessage); }, LUA_MASKCOUNT, 1);
    raiseMessage(L, kAbortMessage);
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

// coroutine.create and coroutine.wrap: the original (upvalue 1) makes the
// coroutine; the new Lua thread gets the standing hook.
int hookedCoroutine(lua_State *L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, 1);
    bool wrapped = lua_type(L, -1) == LUA_TFUNCTION;
    if (wrapped)
        lua_getupvalue(L, -1, 1);  /* wrap keeps its thread as upvalue 1 */
    if (lua_State *co = lua_tothread(L, -1))
        lua_sethook(co, coroutineHook, LUA_MASKCOUNT, kCoroutineCheckInterval);
    if (wrapped)
        lua_pop(L, 1);
    return 1;
}

void hookLibraryFunction(lua_State *L, const char *name)
{
    lua_getfield(L, -1, name);
    lua_pushcclosure(L, hookedCoroutine, 1);
    lua_setfield(L, -2, name);
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

void hookCoroutineCreation(lua_State *L)
{
    lua_getglobal(L, "coroutine");
    hookLibraryFunction(L, "create");
    hookLibraryFunction(L, "wrap");
    lua_pop(L, 1);
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
