// The thirteen Lua host functions behind `qv`, the registration table that
// stores them into __PCFuncs__, and the abort check that lets the host stop a
// long script.
#pragma once

#include <lua.hpp>

namespace qv {

// Parameters and pixels.
int luaCh(lua_State *L);
int luaGetColor(lua_State *L);
int luaSetColor(lua_State *L);
int luaIn2out(lua_State *L);

// GLSL passes and host scripts.
int luaGlsl(lua_State *L);
int luaFullGlsl(lua_State *L);
int luaJs(lua_State *L);
int luaAlert(lua_State *L);
int luaDebugAdd(lua_State *L);
int luaDebugSub(lua_State *L);
int luaDebugRemain(lua_State *L);
int luaDebugClear(lua_State *L);

// HTTP.
int luaHttpRequest(lua_State *L);

struct HostFunctionReg {
    const char *name;
    lua_CFunction function;
};
// Name in __PCFuncs__ and function, in registration order.
extern const HostFunctionReg kHostFunctions[13];

// The message a script stops with when the host cancels the render.
extern const char kAbortMessage[];

// Asks the host's abort callback now (long host-function loops) and stops the
// script when it answers "stop". Cheap when nobody asks.
void checkAbort(lua_State *L);

// Asks the host's abort callback now without stopping the script: for a host
// function that must first end work of its own (a request on another thread)
// and then calls checkAbort.
bool hostAskedToStop(lua_State *L);

} // namespace qv
