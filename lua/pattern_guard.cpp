#include "lua/pattern_guard.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace qv {
namespace {

constexpr double kMaxWorstCase = 1e11;  // about a minute of backtracking
constexpr int kFewQuantifiers = 2;     // at most cubic: not refused

const char kTooComplex[] =
    "Pattern too complex for a subject this long: its worst case cannot be stopped by the host. "
    "Use fewer repeated items (*, +, -) or a shorter subject.";

// Skips one single-character class starting at `i` (., %x, [set], or a plain
// character); returns the index after it.
std::size_t skipClass(const std::string &p, std::size_t i)
{
    if (p[i] == '%')
        return std::min(i + 2, p.size());
    if (p[i] != '[')
        return i + 1;
    std::size_t j = i + 1;
    if (j < p.size() && p[j] == '^')
        ++j;
    do {  /* the first ']' after '[' or '[^' is a member */
        if (j < p.size() && p[j] == '%')
            ++j;
        ++j;
    } while (j < p.size() && p[j] != ']');
    return std::min(j + 1, p.size());
}

int quantifiedItems(const std::string &p)
{
    int count = 0;
    for (std::size_t i = (!p.empty() && p[0] == '^') ? 1 : 0; i < p.size();) {
        char c = p[i];
        if (c == '(' || c == ')') {
            ++i;
            continue;
        }
        if (c == '%' && i + 1 < p.size() && (p[i + 1] == 'b' || p[i + 1] == 'f')) {
            i += p[i + 1] == 'b' ? 4 : 2;  /* %bxy; %f is followed by its set, a class of its own */
            continue;
        }
        i = skipClass(p, i);
        if (i < p.size() && (p[i] == '*' || p[i] == '+' || p[i] == '-')) {
            ++count;
            ++i;
        }
    }
    return count;
}

// n^k / k!, the number of ways k items can split a subject of n bytes.
double splits(double n, int k)
{
    return std::exp(k * std::log(n + 1) - std::lgamma(k + 1.0));
}

// Upvalue 1: the original function; upvalue 2: whether it anchors by '^'
// (gmatch does not in this Lua).
int guarded(lua_State *L)
{
    std::size_t length = 0;
    const char *subject = lua_tolstring(L, 1, &length);
    std::size_t patternLength = 0;
    const char *pattern = lua_type(L, 2) == LUA_TSTRING ? lua_tolstring(L, 2, &patternLength) : nullptr;
    bool plainFind = lua_toboolean(L, lua_upvalueindex(3)) && lua_toboolean(L, 4);
    if (subject && pattern && !plainFind) {
        bool anchors = lua_toboolean(L, lua_upvalueindex(2));
        if (PatternWorstCase(std::string(pattern, patternLength), length, anchors) > kMaxWorstCase) {
            lua_pushstring(L, kTooComplex);
            return lua_error(L);
        }
    }
    int base = lua_gettop(L);
    lua_pushvalue(L, lua_upvalueindex(1));
    for (int i = 1; i <= base; ++i)
        lua_pushvalue(L, i);
    lua_call(L, base, LUA_MULTRET);
    return lua_gettop(L) - base;
}

void wrap(lua_State *L, int table, const char *name, bool anchors, bool hasPlain)
{
    lua_getfield(L, table, name);
    lua_pushboolean(L, anchors);
    lua_pushboolean(L, hasPlain);
    lua_pushcclosure(L, guarded, 3);
    lua_setfield(L, table, name);
}

} // namespace

double PatternWorstCase(const std::string &pattern, std::size_t subjectLength, bool anchoredSearch)
{
    int k = quantifiedItems(pattern);
    if (k <= kFewQuantifiers)
        return 0;
    bool anchored = anchoredSearch && !pattern.empty() && pattern[0] == '^';
    double n = double(subjectLength);
    return anchored ? splits(n, k) : splits(n, k + 1);
}

void guardPatternMatching(lua_State *L)
{
    lua_getfield(L, LUA_REGISTRYINDEX, LUA_LOADED_TABLE);
    lua_getfield(L, -1, LUA_STRLIBNAME);
    int string = lua_gettop(L);
    wrap(L, string, "find", true, true);
    wrap(L, string, "match", true, false);
    wrap(L, string, "gmatch", false, false);
    wrap(L, string, "gsub", true, false);
    lua_pop(L, 2);
}

} // namespace qv
