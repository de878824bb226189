// With k repeated items (*, +, -) a match can take on the order of n^k steps
// for a subject of n bytes, and each optional item (?) doubles the ways to
// try. The matcher answers to the host's abort (pattern_match.cpp), but a
// pattern that could not end in a lifetime is better refused at once with a
// clear error: string.find, match, gmatch and gsub refuse a pattern with three
// or more repeated items, or more than eight optional ones, whose worst case
// on the given subject exceeds about ten seconds. Each item counts for the
// longest run of subject bytes its class matches, so "^%s*(.-)%s*$" on
// ordinary text passes. Patterns with one or two repeated items are left to
// the abort (at most cubic, and refusing them would break ordinary parsing
// of long texts).
#pragma once

#include <lua.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace qv {

// Worst-case steps of matching `pattern` against `subject`, as an estimate
// (a double: it overflows any integer); 0 when it is small enough not to matter.
double PatternWorstCase(const std::string &pattern, std::string_view subject, bool anchoredSearch);

// Raises the "too complex" error (with the caller's position) when the
// pattern's worst case on `subject` is beyond reason.
void refuseCostlyPattern(lua_State *L, std::string_view subject, std::string_view pattern, bool anchoredSearch);

} // namespace qv
