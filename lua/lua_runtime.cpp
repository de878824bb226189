#include "lua/lua_runtime.h"

#include "embedded/hostFunctionPrelude.h"
#include "lua/abort_watch.h"
#include "lua/host_functions.h"
#include "lua/runtime_context.h"
#include "lua/script_reach.h"

#include <lua.hpp>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace qv {
namespace {

const char kInitialChunk[] = "\n__PCData__={width=2,height=2,pcData=nil}\n__PCFuncs__={}\npc={}\n";

// Loads `text` with itself as the chunk name and calls it; results stay on
// the stack, and so does a compile or run-time error message.
void loadAndCall(lua_State *L, const char *text)
{
    if (luaL_loadstring(L, text) == LUA_OK)
        lua_pcall(L, 0, LUA_MULTRET, 0);
}

void setNumber(lua_State *L, const char *name, lua_Number value)
{
    lua_pushnumber(L, value);
    lua_setglobal(L, name);
}

void setInteger(lua_State *L, const char *name, lua_Integer value)
{
    lua_pushinteger(L, value);
    lua_setglobal(L, name);
}

// The globals a script sees, in a fixed order.
void setGlobals(lua_State *L, const PCData &pc)
{
    setNumber(L, "depth", pc.depth);
    setNumber(L, "width", lua_Number(pc.width));
    setNumber(L, "height", lua_Number(pc.height));
    setNumber(L, "time", pc.time);
    lua_pushstring(L, pc.pluginFolder ? pc.pluginFolder : "");
    lua_setglobal(L, "pluginFolder");
    setInteger(L, "platform", 0);
    setInteger(L, "host", 0);
}

// Loads and runs the user's chunk; an error leaves its message on the stack,
// as text even when the script raised another value.
void runUserChunk(lua_State *L, const std::string &chunk)
{
    if (luaL_loadstring(L, chunk.c_str()) != LUA_OK)
        return;
    lua_Debug ar;
    lua_pushvalue(L, -1);
    lua_getinfo(L, ">S", &ar);
    if (RuntimeContext *rc = runtimeContextOf(L))
        rc->scriptSource = ar.short_src;  /* for errors raised after a tail call left no frame of it */
    lua_pushcfunction(L, describeErrorObject);
    lua_insert(L, -2);
    int handler = lua_gettop(L) - 1;
    lua_pcall(L, 0, LUA_MULTRET, handler);
    lua_remove(L, handler);
}

// What luaL_newstate's handler does; Lua aborts after it returns. The host's
// steps run with no memory cap so that they do not get here.
int reportPanic(lua_State *L)
{
    const char *message = lua_tostring(L, -1);
    std::fprintf(stderr, "PANIC: unprotected error in call to Lua API (%s)\n", message ? message : "?");
    return 0;
}

} // namespace

const char packagePathChunk[] =
    "\npackage.path = package.path .. \";\" .. pluginFolder .. \"/Tessmar/?.lua;\" .. pluginFolder .. \"/?.lua;\"\n"
    "package.cpath = package.cpath .. \";\" .. pluginFolder .. \"/Tessmar/?.co;\" .. pluginFolder .. \"/?.co;\"\n";

std::recursive_mutex &luaLock()
{
    static std::recursive_mutex lock;
    return lock;
}

RuntimeContext *runtimeContextOf(lua_State *L)
{
    RuntimeContext *rc;
    std::memcpy(&rc, lua_getextraspace(L), sizeof rc);  /* coroutines inherit the main thread's copy */
    return rc;
}

void attachRuntimeContext(lua_State *L, RuntimeContext *context)
{
    std::memcpy(lua_getextraspace(L), &context, sizeof context);
}

std::unique_ptr<LuaRuntime> LuaRuntime::create()
{
    std::unique_ptr<LuaRuntime> rt(new (std::nothrow) LuaRuntime);
    if (!rt)
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(luaLock());
    rt->state_ = lua_newstate(budgetedAlloc, &rt->budget_);
    if (!rt->state_)
        return nullptr;
    lua_State *L = rt->state_;
    lua_atpanic(L, reportPanic);
    attachRuntimeContext(L, nullptr);
    luaL_openlibs(L);
    guardCoroutinesAndHandlers(L);
    closeDangerousDoors(L);
    loadAndCall(L, kInitialChunk);
    rt->context_ = new (std::nothrow) RuntimeContext;
    if (!rt->context_)
        return nullptr;  /* the destructor closes the state */
    attachRuntimeContext(L, rt->context_);
    lua_getglobal(L, "__PCData__");
    lua_pushlightuserdata(L, &rt->context_->pcData);
    lua_setfield(L, -2, "pcData");
    lua_settop(L, 0);
    return rt;
}

LuaRuntime::~LuaRuntime()
{
    close();
}

void LuaRuntime::registerHostFunctions()
{
    std::lock_guard<std::recursive_mutex> outer(luaLock());
    for (const HostFunctionReg &reg : kHostFunctions) {
        std::lock_guard<std::recursive_mutex> inner(luaLock());
        pending_.push_back({reg.name, reg.function});
    }
    {
        std::lock_guard<std::recursive_mutex> inner(luaLock());
        lua_getglobal(state_, "__PCFuncs__");
        for (const Registration &r : pending_) {
            lua_pushcclosure(state_, r.function, 0);
            lua_setfield(state_, -2, r.name);
        }
        pending_.clear();
        lua_pop(state_, 1);
    }
    loadAndCall(state_, hostFunctionPrelude);
}

PF_Err LuaRuntime::run(const char *code)
{
    std::lock_guard<std::recursive_mutex> lock(luaLock());
    setGlobals(state_, context_->pcData);
    if (!context_->pcData.scriptAccess)
        closeFileAndNetworkAccess(state_, context_->pcData.pluginFolder ? context_->pcData.pluginFolder : "");
    loadAndCall(state_, packagePathChunk);
    lua_settop(state_, 0);  /* a chunk of its own, so the script's lines keep their numbers */
    {
        AbortWatch watch(state_, context_->pcData);
        budget_.cap = scriptMemoryCap_;
        runUserChunk(state_, code ? code : "");
        budget_.cap = kNoMemoryCap;
    }
    if (std::exception_ptr fault = context_->hostFault) {
        context_->hostFault = nullptr;
        std::rethrow_exception(fault);  /* the command ends with the host's error */
    }
    return context_->aborted ? PF_Err(PF_Interrupt_CANCEL) : PF_Err(PF_Err_NONE);
}

std::optional<std::string> LuaRuntime::takeMessage()
{
    std::lock_guard<std::recursive_mutex> lock(luaLock());
    std::optional<std::string> message;
    int type = lua_type(state_, -1);
    if (lua_gettop(state_) > 0 && (type == LUA_TSTRING || type == LUA_TNUMBER)) {
        std::size_t length = 0;
        const char *text = lua_tolstring(state_, -1, &length);
        message.emplace(text, length);
        lua_pop(state_, 1);
    }
    return message;
}

void LuaRuntime::close()
{
    {
        std::lock_guard<std::recursive_mutex> lock(luaLock());
        if (state_)
            lua_close(state_);
        state_ = nullptr;
        delete context_;
        context_ = nullptr;
    }
    pending_.clear();
    pending_.shrink_to_fit();
}

PCData *LuaRuntime::context() const
{
    return context_ ? &context_->pcData : nullptr;
}

} // namespace qv
