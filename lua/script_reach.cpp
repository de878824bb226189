// Closing doors is done by replacing library functions in place, in the
// tables the script sees (package.loaded holds the same tables), with C
// functions that hold nothing worth stealing: the originals that are still
// needed live as upvalues of C closures, which debug.getupvalue is made to
// refuse.
#include "lua/script_reach.h"

#include "lua/pattern_guard.h"

#include <cstdlib>

namespace qv {
namespace {

const char kExitMessage[] = "os.exit is not available: a script cannot end the host. Use error() to stop the script.";
const char kSethookMessage[] = "debug.sethook is not available: the host's abort check owns the hook.";
const char kFinalizerMessage[] =
    "Finalizers (__gc) are not available to scripts: the host could not stop one that never ends.";
const char kRegistryMessage[] =
    "debug.getregistry is not available: the registry holds what the host must keep, finalizers included.";
const char kSetlocaleMessage[] = "os.setlocale can only query: the locale belongs to the whole host.";

[[noreturn]] void raise(lua_State *L, const std::string &message)
{
    lua_pushlstring(L, message.data(), message.size());
    lua_error(L);
    std::abort();  /* not reached: lua_error throws (Lua is built as C++) */
}

// Upvalue 1: the fixed message.
int refuse(lua_State *L)
{
    lua_pushvalue(L, lua_upvalueindex(1));
    return lua_error(L);
}

int refuseAccess(lua_State *L)
{
    raise(L, scriptAccessOffMessage(lua_tostring(L, lua_upvalueindex(1))));
}

void replace(lua_State *L, int table, const char *name, lua_CFunction f, const char *upvalue)
{
    table = lua_absindex(L, table);
    lua_pushstring(L, upvalue);
    lua_pushcclosure(L, f, 1);
    lua_setfield(L, table, name);
}

void refuseAlways(lua_State *L, int table, const char *name, const char *message)
{
    replace(L, table, name, refuse, message);
}

void refuseWithoutAccess(lua_State *L, int table, const char *library, const char *name)
{
    replace(L, table, name, refuseAccess, (*library ? std::string(library) + "." + name : std::string(name)).c_str());
}

// Wraps table[name]: the original becomes upvalue 1 of `wrapper`.
void wrap(lua_State *L, int table, const char *name, lua_CFunction wrapper)
{
    table = lua_absindex(L, table);
    lua_getfield(L, table, name);
    lua_pushcclosure(L, wrapper, 1);
    lua_setfield(L, table, name);
}

// Calls upvalue 1 with the arguments from `first` on; returns all its results.
int callOriginal(lua_State *L, int first)
{
    int base = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    for (int i = first; i <= base; ++i)
        lua_pushvalue(L, i);
    lua_call(L, base - first + 1, LUA_MULTRET);
    return lua_gettop(L) - base;
}

// debug.getupvalue and debug.setupvalue: C functions show no upvalues, so a
// script cannot fetch the originals that the wrappers here keep.
int luaFunctionUpvaluesOnly(lua_State *L)
{
    if (lua_iscfunction(L, 1))
        return 0;
    return callOriginal(L, 1);
}

// A table marked for finalization runs its __gc where no hook can stop it
// (inside the collector, and in lua_close). Only setmetatable marks, so a
// metatable holding __gc when it is set is refused.
void refuseFinalizer(lua_State *L, int metatable)
{
    if (lua_type(L, metatable) != LUA_TTABLE)
        return;
    metatable = lua_absindex(L, metatable);
    lua_pushliteral(L, "__gc");
    int type = lua_rawget(L, metatable);
    lua_pop(L, 1);
    if (type != LUA_TNIL)
        raise(L, kFinalizerMessage);
}

// string.rep of an empty text (and separator) is empty however often it is
// repeated, but Lua counts the repetitions out in C, where no hook reaches:
// string.rep("", 1e15) would run for days.
int repWithoutEmptyLoops(lua_State *L)
{
    std::size_t length = 0, separatorLength = 0;
    luaL_checklstring(L, 1, &length);
    luaL_checkinteger(L, 2);
    luaL_optlstring(L, 3, "", &separatorLength);
    if (length + separatorLength == 0) {
        lua_pushliteral(L, "");
        return 1;
    }
    return callOriginal(L, 1);
}

// table.move walks its range in C, and on tables without metamethods no hook
// fires there; moving nils costs no memory, so nothing else bounds it. No
// real table comes near this many elements under the memory cap.
constexpr lua_Integer kMaxMoveCount = lua_Integer(1) << 26;

int moveWithinReason(lua_State *L)
{
    lua_Integer first = luaL_checkinteger(L, 2), last = luaL_checkinteger(L, 3);
    if (last >= first && (first < 0 ? last > first + kMaxMoveCount : last - first >= kMaxMoveCount))
        return luaL_error(L, "table.move: more than %I elements to move", kMaxMoveCount);
    return callOriginal(L, 1);
}

// debug.getmetatable: a metatable that hides itself (__metatable) stays
// hidden, so the files' metatable, whose __gc the collector calls where no
// hook can stop it, cannot be changed by a script.
int getmetatableUnlessHidden(lua_State *L)
{
    luaL_checkany(L, 1);
    if (!lua_getmetatable(L, 1)) {
        lua_pushnil(L);
        return 1;
    }
    if (lua_getfield(L, -1, "__metatable") != LUA_TNIL)
        return 1;
    lua_pop(L, 1);
    return 1;
}

void hideFileMetatable(lua_State *L)
{
    if (luaL_getmetatable(L, LUA_FILEHANDLE) == LUA_TTABLE) {
        lua_pushboolean(L, 0);
        lua_setfield(L, -2, "__metatable");
    }
    lua_pop(L, 1);
}

int setmetatableWithoutFinalizer(lua_State *L)
{
    refuseFinalizer(L, 2);
    return callOriginal(L, 1);
}

// load: text chunks only; a crafted binary chunk can crash the interpreter.
int loadTextOnly(lua_State *L)
{
    int args = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    for (int i = 1; i <= 2; ++i)
        i <= args ? lua_pushvalue(L, i) : lua_pushnil(L);
    lua_pushliteral(L, "t");
    if (args >= 4)
        lua_pushvalue(L, 4);  /* an absent env must stay absent, not nil */
    lua_call(L, args >= 4 ? 4 : 3, LUA_MULTRET);
    return lua_gettop(L) - args;
}

int setlocaleQueryOnly(lua_State *L)
{
    if (!lua_isnoneornil(L, 1))
        raise(L, kSetlocaleMessage);
    return callOriginal(L, 1);
}

// package.searchers' native entries: a native module that exists is refused
// with the access message; one that does not exist is simply not found.
int nativeSearcherWithoutAccess(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    lua_getfield(L, LUA_REGISTRYINDEX, LUA_LOADED_TABLE);
    lua_getfield(L, -1, LUA_LOADLIBNAME);
    lua_getfield(L, -1, "searchpath");
    lua_pushstring(L, name);
    lua_getfield(L, -3, "cpath");
    lua_call(L, 2, 2);
    if (lua_isstring(L, -2))
        raise(L, scriptAccessOffMessage((std::string("require of the native module '") + name + "'").c_str()));
    return 1;  /* searchpath's "no file" list */
}

// package.searchers' Lua entry: modules are looked for along the path the
// state started with (the plug-ins folder and its Tessmar folder after the
// defaults), not along one the script set, which could name any file.
// Upvalue 1: that path; upvalue 2: the original package.searchpath.
int luaSearcherOnStartPath(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    lua_pushvalue(L, lua_upvalueindex(2));
    lua_pushstring(L, name);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_call(L, 2, 2);
    if (!lua_isstring(L, -2))
        return 1;  /* searchpath's "no file" list */
    const char *file = lua_tostring(L, -2);
    if (luaL_loadfilex(L, file, "t") != LUA_OK)
        return luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", name, file, lua_tostring(L, -1));
    lua_pushstring(L, file);
    return 2;
}

void pinLuaSearcher(lua_State *L, int package, const char *pluginFolder)
{
    lua_getfield(L, package, "path");
    std::string path = std::string(lua_isstring(L, -1) ? lua_tostring(L, -1) : "") + ";" + pluginFolder +
                       "/Tessmar/?.lua;" + pluginFolder + "/?.lua;";
    lua_pop(L, 1);
    lua_getfield(L, package, "searchers");
    lua_pushstring(L, path.c_str());
    lua_getfield(L, package, "searchpath");
    lua_pushcclosure(L, luaSearcherOnStartPath, 2);
    lua_rawseti(L, -2, 2);
    lua_pop(L, 1);
}

// Pushes the loaded library `name` (the table scripts see).
void pushLibrary(lua_State *L, const char *name)
{
    lua_getfield(L, LUA_REGISTRYINDEX, LUA_LOADED_TABLE);
    lua_getfield(L, -1, name);
    lua_remove(L, -2);
}

void closeIo(lua_State *L)
{
    pushLibrary(L, LUA_IOLIBNAME);
    int io = lua_gettop(L);
    static const char *const kFunctions[] = {"close", "flush", "input", "lines", "open", "output",
                                             "popen", "read", "tmpfile", "write"};
    for (const char *name : kFunctions)
        refuseWithoutAccess(L, io, "io", name);
    for (const char *name : {"stdin", "stdout", "stderr"}) {
        lua_pushnil(L);
        lua_setfield(L, io, name);
    }
    /* the default files are reachable through the registry too */
    lua_pushnil(L);
    lua_setfield(L, LUA_REGISTRYINDEX, "_IO_input");
    lua_pushnil(L);
    lua_setfield(L, LUA_REGISTRYINDEX, "_IO_output");
    lua_pop(L, 1);
}

void closeNativeModules(lua_State *L, const char *pluginFolder)
{
    pushLibrary(L, LUA_LOADLIBNAME);
    pinLuaSearcher(L, lua_gettop(L), pluginFolder);
    refuseWithoutAccess(L, -1, "package", "loadlib");
    lua_getfield(L, -1, "searchers");
    for (int i : {3, 4}) {  /* the C and all-in-one searchers */
        lua_pushcfunction(L, nativeSearcherWithoutAccess);
        lua_rawseti(L, -2, i);
    }
    lua_pop(L, 2);
}

} // namespace

std::string scriptAccessOffMessage(const char *what)
{
    return std::string(what) +
           " is not allowed: scripts may touch files, processes, native modules and the network only when "
           "After Effects allows scripts to. Turn on Preferences > Scripting & Expressions > "
           "\"Allow Scripts to Write Files and Access Network\" and render again.";
}

void closeDangerousDoors(lua_State *L)
{
    pushLibrary(L, LUA_OSLIBNAME);
    refuseAlways(L, -1, "exit", kExitMessage);
    wrap(L, -1, "setlocale", setlocaleQueryOnly);
    lua_pop(L, 1);

    pushLibrary(L, LUA_DBLIBNAME);
    refuseAlways(L, -1, "sethook", kSethookMessage);
    refuseAlways(L, -1, "getregistry", kRegistryMessage);
    lua_pushcfunction(L, getmetatableUnlessHidden);
    lua_setfield(L, -2, "getmetatable");
    wrap(L, -1, "getupvalue", luaFunctionUpvaluesOnly);
    wrap(L, -1, "setupvalue", luaFunctionUpvaluesOnly);
    wrap(L, -1, "setmetatable", setmetatableWithoutFinalizer);
    lua_pop(L, 1);

    lua_pushglobaltable(L);
    wrap(L, -1, "setmetatable", setmetatableWithoutFinalizer);
    wrap(L, -1, "load", loadTextOnly);
    lua_pop(L, 1);

    pushLibrary(L, LUA_STRLIBNAME);
    wrap(L, -1, "rep", repWithoutEmptyLoops);
    lua_pop(L, 1);
    pushLibrary(L, LUA_TABLIBNAME);
    wrap(L, -1, "move", moveWithinReason);
    lua_pop(L, 1);

    hideFileMetatable(L);
    guardPatternMatching(L);
}

void closeFileAndNetworkAccess(lua_State *L, const char *pluginFolder)
{
    pushLibrary(L, LUA_OSLIBNAME);
    for (const char *name : {"execute", "remove", "rename", "tmpname"})
        refuseWithoutAccess(L, -1, "os", name);
    lua_pop(L, 1);
    closeIo(L);
    closeNativeModules(L, pluginFolder);
    lua_pushglobaltable(L);
    for (const char *name : {"dofile", "loadfile"})
        refuseWithoutAccess(L, -1, "", name);
    lua_pop(L, 1);
}

int describeErrorObject(lua_State *L)
{
    if (lua_type(L, 1) == LUA_TSTRING || lua_type(L, 1) == LUA_TNUMBER)
        return 1;
    if (luaL_callmeta(L, 1, "__tostring") && lua_type(L, -1) == LUA_TSTRING)
        return 1;
    lua_pushfstring(L, "(error object is a %s value)", luaL_typename(L, 1));
    return 1;
}

} // namespace qv
