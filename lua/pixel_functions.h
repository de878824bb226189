// Parameters and pixels: `ch`, `getColor`, `setColor`, `in2out`.
#pragma once

#include <lua.hpp>

namespace qv {

int luaCh(lua_State *L);
int luaGetColor(lua_State *L);
int luaSetColor(lua_State *L);
int luaIn2out(lua_State *L);

} // namespace qv
