// GLSL passes (`glsl`, `full_glsl`) and the calls into the host's script
// engine (`js`, `alert` and the four debug-log functions).
#pragma once

#include <lua.hpp>

namespace qv {

int luaGlsl(lua_State *L);
int luaFullGlsl(lua_State *L);
int luaJs(lua_State *L);
int luaAlert(lua_State *L);
int luaDebugAdd(lua_State *L);
int luaDebugSub(lua_State *L);
int luaDebugRemain(lua_State *L);
int luaDebugClear(lua_State *L);

} // namespace qv
