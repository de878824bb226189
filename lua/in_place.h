// Library functions replaced by ours that run the library's C function in
// place, inside our own call frame, instead of calling it through Lua. A
// function called through Lua sits on the Lua stack while it runs: a message
// handler, a reader, a replacement function or a metamethod it calls back
// could fetch it with debug.getinfo. Called in place, it never has a frame of
// its own, and it is kept only as bytes in a userdata that no script can call.
#pragma once

#include <lua.hpp>

#include <cassert>
#include <cstring>

namespace qv {

// table[name] (a C function) becomes `replacement`, with the original as its
// upvalue 1.
inline void replaceInPlace(lua_State *L, int table, const char *name, lua_CFunction replacement)
{
    table = lua_absindex(L, table);
    lua_getfield(L, table, name);
    lua_CFunction original = lua_tocfunction(L, -1);
    assert(original && "only C functions are replaced in place");
    lua_pop(L, 1);
    std::memcpy(lua_newuserdata(L, sizeof original), &original, sizeof original);
    lua_pushcclosure(L, replacement, 1);
    lua_setfield(L, table, name);
}

// The original of a function made by replaceInPlace.
inline lua_CFunction originalOf(lua_State *L)
{
    lua_CFunction original;
    std::memcpy(&original, lua_touserdata(L, lua_upvalueindex(1)), sizeof original);
    return original;
}

// Runs the original on the arguments as they are now on the stack.
inline int callOriginalInPlace(lua_State *L)
{
    return originalOf(L)(L);
}

} // namespace qv
