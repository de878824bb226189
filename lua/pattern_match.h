// string.find, match, gmatch and gsub as the script sees them: Lua's own
// matcher, with its loops answering to the host's abort and its plain
// searches linear (pattern_match.cpp says how).
#pragma once

#include <lua.hpp>

namespace qv {

// Puts the four functions in the string library in place of the library's.
void replacePatternMatching(lua_State *L);

} // namespace qv
