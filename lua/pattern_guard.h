// Lua's pattern matcher backtracks in C, where no hook can stop it: with k
// quantified items (*, +, -) a match can take on the order of n^k steps for a
// subject of n bytes. string.find, match, gmatch and gsub therefore refuse a
// pattern whose worst case on the given subject is out of all proportion.
// Patterns with one or two quantified items are left alone (their worst case
// is at most cubic, and refusing them would break ordinary parsing of long
// texts); a long match of that kind is the one thing a script can still run
// past the host's abort, for as long as that single call takes.
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <string>

namespace qv {

// Worst-case steps of matching `pattern` against `subjectLength` bytes, as
// an estimate (a double: it overflows any integer).
double PatternWorstCase(const std::string &pattern, std::size_t subjectLength, bool anchoredSearch);

// Wraps the four matching functions of the string library.
void guardPatternMatching(lua_State *L);

} // namespace qv
