#include "lua/lua_check.h"

#include "embedded/hostFunctionPrelude.h"
#include "lua/runtime_context.h"

#include <cstdlib>
#include <cstring>

namespace qv {

const char kStringExpected[] = "Wrong parameter type: A string should be sent";
const char kIntegerExpected[] = "Wrong parameter type: An integer should be sent";
const char kNumberExpected[] = "Wrong parameter type: A number should be sent";
const char kBooleanExpected[] = "Wrong parameter type: A boolean should be sent";
const char kIndexRange[] = "Index should be an integer in range 0~9.";
const char kLayerIndexRange[] = "Index should be an integer in range -2~9.";

void raiseMessage(lua_State *L, const char *message)
{
    raiseMessage(L, message, std::strlen(message));
}

void raiseMessage(lua_State *L, const char *message, std::size_t length)
{
    pushScriptPosition(L);
    lua_pushlstring(L, message, length);
    lua_concat(L, 2);
    lua_error(L);  /* throws: Lua is built as C++ here */
    std::abort();  /* not reached */
}

void pushScriptPosition(lua_State *L)
{
    lua_Debug ar;
    int level = 1;
    for (; lua_getstack(L, level, &ar); ++level) {
        lua_getinfo(L, "Sl", &ar);
        if (ar.currentline <= 0) {
            lua_pushliteral(L, "");  /* called from C (pcall, say), as luaL_where has it */
            return;
        }
        if (std::strcmp(ar.source, hostFunctionPrelude) != 0) {
            lua_pushfstring(L, "%s:%d: ", ar.short_src, ar.currentline);
            return;
        }
    }
    // The script's frame is gone: `return f(...)` replaced it (a tail call).
    // Its chunk is still the place to name, without a line.
    RuntimeContext *rc = runtimeContextOf(L);
    if (level > 1 && rc && !rc->scriptSource.empty())
        lua_pushfstring(L, "%s: ", rc->scriptSource.c_str());
    else
        lua_pushliteral(L, "");
}

namespace {

// Where `magic` sits inside a PCData (after the PassFrame it extends).
std::size_t magicOffset()
{
    static const PCData probe;
    return static_cast<std::size_t>(reinterpret_cast<const char *>(&probe.magic) -
                                    reinterpret_cast<const char *>(&probe));
}

} // namespace

PCData *toContext(lua_State *L)
{
    if (lua_type(L, 1) != LUA_TLIGHTUSERDATA)
        return nullptr;
    auto *pc = static_cast<PCData *>(lua_touserdata(L, 1));
    uint32_t magic = 0;
    if (pc)
        std::memcpy(&magic, reinterpret_cast<const char *>(pc) + magicOffset(), sizeof magic);  /* a forged pointer need not be aligned */
    return magic == kPCDataMagic ? pc : nullptr;
}

lua_Integer checkInteger(lua_State *L, int index)
{
    if (!lua_isinteger(L, index))
        raiseMessage(L, kIntegerExpected);
    return lua_tointeger(L, index);
}

lua_Integer checkRange(lua_State *L, int index, lua_Integer lo, lua_Integer hi, const char *rangeMessage)
{
    lua_Integer value = checkInteger(L, index);
    if (lua_Unsigned(value) - lua_Unsigned(lo) > lua_Unsigned(hi) - lua_Unsigned(lo))
        raiseMessage(L, rangeMessage);  /* unsigned, so values below lo fail too */
    return value;
}

const char *checkString(lua_State *L, int index, std::size_t *length)
{
    if (!lua_isstring(L, index))
        raiseMessage(L, kStringExpected);
    return lua_tolstring(L, index, length);
}

lua_Number checkNumber(lua_State *L, int index)
{
    int isNumber = 0;
    lua_Number value = lua_tonumberx(L, index, &isNumber);
    if (!isNumber)
        raiseMessage(L, kNumberExpected);
    return value;
}

bool checkBoolean(lua_State *L, int index)
{
    if (lua_type(L, index) != LUA_TBOOLEAN)
        raiseMessage(L, kBooleanExpected);
    return lua_toboolean(L, index) != 0;
}

int32_t checkCoordinate(lua_State *L, int index)
{
    double v = checkNumber(L, index);
    if (!(v > -2147483648.5 && v < 2147483647.5))
        return INT32_MIN;  /* its rounding does not fit (or NaN): outside every buffer */
    int32_t t = int32_t(v);  /* toward zero; v - t is exact */
    double fraction = v - t;
    return fraction >= 0.5 ? t + 1 : fraction <= -0.5 ? t - 1 : t;  /* what round() does, without the call */
}

} // namespace qv
