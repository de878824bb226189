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
constexpr int kFewQuantifiers = 2;    // at most cubic, and stopped by the abort: not refused
constexpr int kFewOptionals = 8;      // 256 ways at most

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

// The pattern's repeated items (*, +, -) and its optional ones (?).
struct QuantifiedItems {
    std::vector<ItemClass> repeated, optional;
};

QuantifiedItems quantifiedItems(const std::string &p)
{
    QuantifiedItems items;
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
            items.repeated.push_back({begin, i});
            ++i;
        } else if (i < p.size() && p[i] == '?') {
            items.optional.push_back({begin, i});
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

} // namespace

double PatternWorstCase(const std::string &pattern, std::string_view subject, bool anchoredSearch)
{
    QuantifiedItems items = quantifiedItems(pattern);
    int k = int(items.repeated.size()), q = int(items.optional.size());
    if (k <= kFewQuantifiers && q <= kFewOptionals)
        return 0;
    bool anchored = anchoredSearch && !pattern.empty() && pattern[0] == '^';
    double n = double(subject.size());
    double starts = anchored ? 1 : n + 1;
    // Each optional item the subject can match doubles the ways to try.
    double optionalWays = 1;
    for (const ItemClass &cl : items.optional)
        optionalWays *= longestRun(subject, pattern, cl) > 0 ? 2 : 1;
    if (starts * splits(n, k) * optionalWays <= kMaxWorstCase)
        return 0;  /* cheap bound: no need to look at the subject */
    // Each repeated item stretches at most over the longest run its class
    // matches; items of a class the subject hardly holds cost little.
    double ways = 1;
    for (const ItemClass &cl : items.repeated)
        ways *= longestRun(subject, pattern, cl) + 1;
    return starts * optionalWays * ways / std::exp(std::lgamma(k + 1.0));
}

void refuseCostlyPattern(lua_State *L, std::string_view subject, std::string_view pattern, bool anchoredSearch)
{
    if (PatternWorstCase(std::string(pattern), subject, anchoredSearch) > kMaxWorstCase)
        luaL_error(L, "%s", kTooComplex);
}

} // namespace qv
