// Argument checks shared by every Lua host function, in the manner of
// lauxlib: each check raises one fixed message, so every error of the same
// kind reads alike. Stack indices count the context as 1,
// so a script's first argument is at index 2.
#pragma once

#include "base/render_context.h"

#include <lua.hpp>

#include <cstddef>
#include <cstdint>

namespace qv {

extern const char kStringExpected[];   // "Wrong parameter type: A string should be sent"
extern const char kIntegerExpected[];  // "Wrong parameter type: An integer should be sent"
extern const char kNumberExpected[];   // "Wrong parameter type: A number should be sent"
extern const char kBooleanExpected[];  // "Wrong parameter type: A boolean should be sent"
extern const char kIndexRange[];       // "Index should be an integer in range 0~9."
extern const char kLayerIndexRange[];  // "Index should be an integer in range -2~9."

// Raises `message` as a Lua error with the position of the script's line
// that called, the way Lua's own library functions report theirs: this is how
// the host's log (and whoever reads it) tells an error from a returned text.
[[noreturn]] void raiseMessage(lua_State *L, const char *message);
[[noreturn]] void raiseMessage(lua_State *L, const char *message, std::size_t length);

// Pushes "chunk:line: " of the script's line that called (the prelude's
// wrappers of the host functions skipped), or "" when a C function called,
// as luaL_where has it.
void pushScriptPosition(lua_State *L);

// The render context at index 1: null unless a light userdata that begins
// with the magic word.
PCData *toContext(lua_State *L);

// The script's own argument count, the context left out.
inline int argCount(lua_State *L) { return lua_gettop(L) - 1; }

// A value of Lua's integer subtype (a float such as 1.0 is refused).
lua_Integer checkInteger(lua_State *L, int index);
// An integer within lo..hi, else `rangeMessage`.
lua_Integer checkRange(lua_State *L, int index, lua_Integer lo, lua_Integer hi, const char *rangeMessage);
// A string or a number (lua_isstring); its bytes and length.
const char *checkString(lua_State *L, int index, std::size_t *length = nullptr);
// A number or a numeric string (lua_isnumber).
lua_Number checkNumber(lua_State *L, int index);
// A boolean by its Lua type, not its truth value.
bool checkBoolean(lua_State *L, int index);
// A number rounded to the nearest integer, halves away from zero; a value
// that does not fit 32 bits (NaN included) becomes INT32_MIN.
int32_t checkCoordinate(lua_State *L, int index);

} // namespace qv
