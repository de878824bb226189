// Closing doors is done by replacing library functions in place, in the
// tables the script sees (package.loaded holds the same tables), with C
// functions of ours. Where a restricted version still needs the library's
// code, it runs it in place (in_place.h): no original ever has a frame of its
// own on the Lua stack or a value a script could call. The debug library stays
// for the script's own code: debug.getinfo by level leaves out the functions
// of C frames, and getlocal/setlocal see no C frame (a C function's stack
// slots hold what it checked once and trusts, and may hold originals).
#include "lua/script_reach.h"

#include "lua/in_place.h"
#include "lua/lua_check.h"
#include "lua/pattern_match.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qv {
namespace {

const char kExitMessage[] = "os.exit is not available: a script cannot end the host. Use error() to stop the script.";
const char kSethookMessage[] = "debug.sethook is not available: the host's abort check owns the hook.";
const char kFinalizerMessage[] =
    "Finalizers (__gc) are not available to scripts: the host could not stop one that never ends.";
const char kRegistryMessage[] =
    "debug.getregistry is not available: the registry holds what the host must keep, finalizers included.";
const char kNotPlainModuleName[] = "\n\tonly plain module names are looked for in the plug-in folders";
const char kSetlocaleMessage[] = "os.setlocale can only query: the locale belongs to the whole host.";

[[noreturn]] void raise(lua_State *L, const std::string &message)
{
    raiseMessage(L, message.data(), message.size());
}

// Upvalue 1: the fixed message.
int refuse(lua_State *L)
{
    raise(L, lua_tostring(L, lua_upvalueindex(1)));
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

// debug.getupvalue and debug.setupvalue: C functions show no upvalues, so a
// script cannot fetch the originals that the wrappers here keep.
int luaFunctionUpvaluesOnly(lua_State *L)
{
    if (lua_iscfunction(L, 1))
        return 0;
    return callOriginalInPlace(L);
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
    return callOriginalInPlace(L);
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
    return callOriginalInPlace(L);
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
    return callOriginalInPlace(L);
}

// Sets argument `index` to "t" (text chunks only) for the original; an
// absent argument after it must stay absent (load's env), not become nil.
int callWithTextMode(lua_State *L, int index)
{
    if (lua_gettop(L) < index)
        lua_settop(L, index);
    lua_pushliteral(L, "t");
    lua_replace(L, index);
    return callOriginalInPlace(L);
}

// load and loadfile: text chunks only; a crafted binary chunk can crash the
// interpreter or read and call at chosen addresses.
int loadTextOnly(lua_State *L)
{
    return callWithTextMode(L, 3);
}

int loadfileTextOnly(lua_State *L)
{
    return callWithTextMode(L, 2);
}

int finishDofile(lua_State *L, int, lua_KContext)
{
    return lua_gettop(L) - 1;
}

// dofile as the library has it, with text chunks only.
int dofileTextOnly(lua_State *L)
{
    const char *name = luaL_optstring(L, 1, nullptr);
    lua_settop(L, 1);
    if (luaL_loadfilex(L, name, "t") != LUA_OK)
        return lua_error(L);
    lua_callk(L, 0, LUA_MULTRET, 0, finishDofile);
    return finishDofile(L, 0, 0);
}

int setlocaleQueryOnly(lua_State *L)
{
    if (!lua_isnoneornil(L, 1))
        raise(L, kSetlocaleMessage);
    return callOriginalInPlace(L);
}

// The thread a debug function looks at and the index of its first argument
// after the optional thread.
struct DebugTarget {
    lua_State *thread;
    int arg;
};

DebugTarget debugTarget(lua_State *L)
{
    if (lua_type(L, 1) == LUA_TTHREAD)
        return {lua_tothread(L, 1), 2};
    return {L, 1};
}

// Whether the frame at `level` of `thread` runs a C function.
bool isCFrame(lua_State *thread, lua_Integer level)
{
    lua_Debug ar;
    if (level < 0 || level > 1000000 || !lua_getstack(thread, int(level), &ar))
        return false;  /* the library reports a level out of range */
    lua_getinfo(thread, "S", &ar);
    return ar.what[0] == 'C';
}

// debug.getinfo: by level, the function of a C frame is left out.
int getinfoWithoutCFunctions(lua_State *L)
{
    DebugTarget target = debugTarget(L);
    bool byLevel = lua_type(L, target.arg) == LUA_TNUMBER;
    int results = callOriginalInPlace(L);
    if (byLevel && lua_type(L, -1) == LUA_TTABLE) {
        lua_getfield(L, -1, "func");
        bool cFunction = lua_iscfunction(L, -1);
        lua_pop(L, 1);
        if (cFunction) {
            lua_pushnil(L);
            lua_setfield(L, -2, "func");
        }
    }
    return results;
}

// debug.getlocal and debug.setlocal: a C frame has no locals to show or set.
int localsOfLuaFramesOnly(lua_State *L)
{
    DebugTarget target = debugTarget(L);
    if (lua_type(L, target.arg) == LUA_TNUMBER && lua_isinteger(L, target.arg) &&
        isCFrame(target.thread, lua_tointeger(L, target.arg))) {
        lua_pushnil(L);
        return 1;
    }
    return callOriginalInPlace(L);
}

// The templates of a path, in order.
std::vector<std::string> templatesOf(const std::string &path)
{
    std::vector<std::string> templates;
    for (std::size_t begin = 0; begin <= path.size();) {
        std::size_t end = path.find(';', begin);
        end = end == std::string::npos ? path.size() : end;
        if (end > begin)
            templates.push_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return templates;
}

// Whether every template of `path` is one of `allowed`'s.
bool withinTemplates(const std::string &path, const std::string &allowed)
{
    std::vector<std::string> own = templatesOf(allowed);
    for (const std::string &t : templatesOf(path))
        if (std::find(own.begin(), own.end(), t) == own.end())
            return false;
    return true;
}

// A module name of words joined by single dots ("a.b_c"): nothing that
// climbs out of a folder once the dots become folder separators.
bool isPlainModuleName(const char *name)
{
    for (const char *c = name; *c; ++c) {
        bool wordChar = std::isalnum(static_cast<unsigned char>(*c)) || *c == '_' || *c == '-';
        bool innerDot = *c == '.' && c != name && c[1] != '\0' && c[1] != '.';
        if (!wordChar && !innerDot)
            return false;
    }
    return *name != '\0';
}

// What package.searchpath does: the first template of `path` that names a
// readable file once its '?' is `name` (dots made folder separators). When
// there is none, returns "" and pushes the list of files tried.
std::string searchPath(lua_State *L, const char *name, const char *path)
{
    std::string module(name), tried;
    for (char &c : module)
        c = c == '.' ? LUA_DIRSEP[0] : c;
    for (std::string file : templatesOf(path)) {
        for (std::size_t at; (at = file.find('?')) != std::string::npos;)
            file.replace(at, 1, module);
        if (FILE *f = std::fopen(file.c_str(), "r")) {
            std::fclose(f);
            return file;
        }
        tried += "\n\tno file '" + file + "'";
    }
    lua_pushlstring(L, tried.data(), tried.size());
    return "";
}

// package.searchers' native entries: a native module that exists is refused
// with the access message; one that does not exist is simply not found.
// Upvalue 1: the path to search.
int nativeSearcherWithoutAccess(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    if (!isPlainModuleName(name)) {
        lua_pushstring(L, kNotPlainModuleName);
        return 1;
    }
    std::string file = searchPath(L, name, lua_tostring(L, lua_upvalueindex(1)));
    if (!file.empty())
        raise(L, scriptAccessOffMessage((std::string("require of the native module '") + name + "'").c_str()));
    return 1;  /* the "no file" list */
}

// package.searchers' Lua entry: text chunks only. Upvalue 1 is the path (the
// plug-in folders, when files are closed) or the package table, whose `path`
// the script may set once it may touch files.
int luaSearcherTextOnly(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    const char *path = lua_tostring(L, lua_upvalueindex(1));
    if (path && !isPlainModuleName(name)) {
        lua_pushstring(L, kNotPlainModuleName);
        return 1;
    }
    if (!path) {
        lua_getfield(L, lua_upvalueindex(1), "path");
        path = lua_tostring(L, -1);
        if (!path)
            return luaL_error(L, "'package.path' must be a string");
    }
    std::string file = searchPath(L, name, path);
    if (file.empty())
        return 1;  /* the "no file" list */
    if (luaL_loadfilex(L, file.c_str(), "t") != LUA_OK)
        return luaL_error(L, "error loading module '%s' from file '%s':\n\t%s", name, file.c_str(),
                          lua_tostring(L, -1));
    lua_pushstring(L, file.c_str());
    return 2;
}

// Pops the searcher's upvalue (a path or the package table) and puts the
// searcher in package.searchers.
void setLuaSearcher(lua_State *L, int package)
{
    package = lua_absindex(L, package);
    lua_pushcclosure(L, luaSearcherTextOnly, 1);
    lua_getfield(L, package, "searchers");
    lua_insert(L, -2);
    lua_rawseti(L, -2, 2);
    lua_pop(L, 1);
}

// package.searchpath without access: only a plain module name, only over
// the plug-in folders (upvalue 1), with the default separators.
int searchpathInPluginFolders(lua_State *L)
{
    const char *name = luaL_checkstring(L, 1);
    luaL_checkstring(L, 2);
    if (!withinTemplates(lua_tostring(L, 2), lua_tostring(L, lua_upvalueindex(1))) || !lua_isnoneornil(L, 3) ||
        !lua_isnoneornil(L, 4) || !isPlainModuleName(name))
        raise(L, scriptAccessOffMessage("package.searchpath outside the plug-in folders"));
    std::string file = searchPath(L, name, lua_tostring(L, 2));
    if (file.empty()) {
        lua_pushnil(L);
        lua_insert(L, -2);
        return 2;  /* nil and the "no file" list */
    }
    lua_pushstring(L, file.c_str());
    return 1;
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

// Modules are then looked for only in the plug-in folder and its Tessmar
// folder (the defaults hold the working folder and the LUA_PATH variable),
// only by names that cannot climb out of them, and native ones are refused.
void closeModules(lua_State *L, const char *pluginFolder)
{
    pushLibrary(L, LUA_LOADLIBNAME);
    int package = lua_gettop(L);
    std::string folder(pluginFolder);
    std::string path = folder + "/Tessmar/?.lua;" + folder + "/?.lua";
    for (const char *field : {"path", "cpath"}) {  /* the set-up chunk appends the plug-in folders */
        lua_pushliteral(L, "");
        lua_setfield(L, package, field);
    }
    lua_pushstring(L, path.c_str());
    setLuaSearcher(L, package);
    lua_pushstring(L, path.c_str());
    lua_pushcclosure(L, searchpathInPluginFolders, 1);
    lua_setfield(L, package, "searchpath");
    refuseWithoutAccess(L, package, "package", "loadlib");
    lua_getfield(L, package, "searchers");
    for (int i : {3, 4}) {  /* the C and all-in-one searchers */
        lua_pushstring(L, (folder + "/Tessmar/?.co;" + folder + "/?.co").c_str());
        lua_pushcclosure(L, nativeSearcherWithoutAccess, 1);
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
    replaceInPlace(L, -1, "setlocale", setlocaleQueryOnly);
    lua_pop(L, 1);

    pushLibrary(L, LUA_DBLIBNAME);
    refuseAlways(L, -1, "sethook", kSethookMessage);
    refuseAlways(L, -1, "getregistry", kRegistryMessage);
    lua_pushcfunction(L, getmetatableUnlessHidden);
    lua_setfield(L, -2, "getmetatable");
    replaceInPlace(L, -1, "getupvalue", luaFunctionUpvaluesOnly);
    replaceInPlace(L, -1, "setupvalue", luaFunctionUpvaluesOnly);
    replaceInPlace(L, -1, "setmetatable", setmetatableWithoutFinalizer);
    replaceInPlace(L, -1, "getinfo", getinfoWithoutCFunctions);
    replaceInPlace(L, -1, "getlocal", localsOfLuaFramesOnly);
    replaceInPlace(L, -1, "setlocal", localsOfLuaFramesOnly);
    lua_pop(L, 1);

    lua_pushglobaltable(L);
    replaceInPlace(L, -1, "setmetatable", setmetatableWithoutFinalizer);
    replaceInPlace(L, -1, "load", loadTextOnly);
    replaceInPlace(L, -1, "loadfile", loadfileTextOnly);
    lua_pushcfunction(L, dofileTextOnly);
    lua_setfield(L, -2, "dofile");
    lua_pop(L, 1);

    pushLibrary(L, LUA_LOADLIBNAME);
    lua_pushvalue(L, -1);  /* the searcher reads package.path when it runs */
    setLuaSearcher(L, -2);
    lua_pop(L, 1);

    pushLibrary(L, LUA_STRLIBNAME);
    replaceInPlace(L, -1, "rep", repWithoutEmptyLoops);
    lua_pop(L, 1);
    pushLibrary(L, LUA_TABLIBNAME);
    replaceInPlace(L, -1, "move", moveWithinReason);
    lua_pop(L, 1);

    hideFileMetatable(L);
    replacePatternMatching(L);
}

void closeFileAndNetworkAccess(lua_State *L, const char *pluginFolder)
{
    pushLibrary(L, LUA_OSLIBNAME);
    for (const char *name : {"execute", "remove", "rename", "tmpname", "getenv"})
        refuseWithoutAccess(L, -1, "os", name);
    lua_pop(L, 1);
    closeIo(L);
    closeModules(L, pluginFolder);
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
