#include "lua/pattern_guard.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qv {
namespace {

constexpr double kMaxWorstCase = 2e9;  // about ten seconds of backtracking
constexpr int kFewQuantifiers = 2;    // at most cubic: not refused

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

// A quantified item's class: [begin, end) in the pattern.
struct ItemClass {
    std::size_t begin, end;
};

std::vector<ItemClass> quantifiedItems(const std::string &p)
{
    std::vector<ItemClass> items;
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
        std::size_t begin = i;
        i = skipClass(p, i);
        if (i < p.size() && (p[i] == '*' || p[i] == '+' || p[i] == '-')) {
            items.push_back({begin, i});
            ++i;
        }
    }
    return items;
}

// The character classes as Lua's matcher reads them.
bool matchesLetterClass(unsigned char c, char cl)
{
    bool m;
    switch (std::tolower(static_cast<unsigned char>(cl))) {
    case 'a': m = std::isalpha(c); break;
    case 'c': m = std::iscntrl(c); break;
    case 'd': m = std::isdigit(c); break;
    case 'g': m = std::isgraph(c); break;
    case 'l': m = std::islower(c); break;
    case 'p': m = std::ispunct(c); break;
    case 's': m = std::isspace(c); break;
    case 'u': m = std::isupper(c); break;
    case 'w': m = std::isalnum(c); break;
    case 'x': m = std::isxdigit(c); break;
    default: return static_cast<unsigned char>(cl) == c;
    }
    return std::isupper(static_cast<unsigned char>(cl)) ? !m : m;
}

bool matchesSet(unsigned char c, const std::string &p, std::size_t begin, std::size_t end)
{
    std::size_t i = begin + 1, last = end - 1;  /* inside the brackets */
    bool negate = i < last && p[i] == '^';
    if (negate)
        ++i;
    for (; i < last; ++i) {
        if (p[i] == '%' && i + 1 < last) {
            if (matchesLetterClass(c, p[++i]))
                return !negate;
        } else if (i + 2 < last && p[i + 1] == '-') {
            if (static_cast<unsigned char>(p[i]) <= c && c <= static_cast<unsigned char>(p[i + 2]))
                return !negate;
            i += 2;
        } else if (static_cast<unsigned char>(p[i]) == c) {
            return !negate;
        }
    }
    return negate;
}

bool matchesClass(unsigned char c, const std::string &p, const ItemClass &cl)
{
    switch (p[cl.begin]) {
    case '.': return true;
    case '%': return cl.begin + 1 < cl.end && matchesLetterClass(c, p[cl.begin + 1]);
    case '[': return matchesSet(c, p, cl.begin, cl.end);
    default: return static_cast<unsigned char>(p[cl.begin]) == c;
    }
}

// The longest run of subject bytes that the class matches: how far one
// repeated item can stretch.
double longestRun(std::string_view subject, const std::string &p, const ItemClass &cl)
{
    std::size_t best = 0, run = 0;
    for (unsigned char c : subject) {
        run = matchesClass(c, p, cl) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return double(best);
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
        if (PatternWorstCase(std::string(pattern, patternLength), std::string_view(subject, length), anchors) >
            kMaxWorstCase) {
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

double PatternWorstCase(const std::string &pattern, std::string_view subject, bool anchoredSearch)
{
    std::vector<ItemClass> items = quantifiedItems(pattern);
    int k = int(items.size());
    if (k <= kFewQuantifiers)
        return 0;
    bool anchored = anchoredSearch && !pattern.empty() && pattern[0] == '^';
    double n = double(subject.size());
    double starts = anchored ? 1 : n + 1;
    if (starts * splits(n, k) <= kMaxWorstCase)
        return 0;  /* cheap bound: no need to look at the subject */
    // Each repeated item stretches at most over the longest run its class
    // matches; items of a class the subject hardly holds cost little.
    double ways = 1;
    for (const ItemClass &cl : items)
        ways *= longestRun(subject, pattern, cl) + 1;
    return starts * ways / std::exp(std::lgamma(k + 1.0));
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
