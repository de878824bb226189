// Lua's pattern matcher backtracks in C, where no hook can stop it: with k
// repeated items (*, +, -) a match can take on the order of n^k steps for a
// subject of n bytes. string.find, match, gmatch and gsub therefore refuse a
// pattern with three or more repeated items whose worst case on the given
// subject exceeds about ten seconds; each item counts for the longest run of
// subject bytes its class matches, so "^%s*(.-)%s*$" on ordinary text passes.
// Patterns with one or two repeated items are left alone (at most cubic, and
// refusing them would break ordinary parsing of long texts): a long match of
// that kind is the one thing a script can still run past the host's abort,
// for as long as that single call takes.
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// Worst-case steps of matching `pattern` against `subject`, as an estimate
// (a double: it overflows any integer); 0 when it is small enough not to matter.
double PatternWorstCase(const std::string &pattern, std::string_view subject, bool anchoredSearch);

// Wraps the four matching functions of the string library.
void guardPatternMatching(lua_State *L);

} // namespace qv
