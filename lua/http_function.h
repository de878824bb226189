// `httpRequest`: an HTTP request on behalf of the script.
#pragma once

#include <lua.hpp>

namespace qv {

int luaHttpRequest(lua_State *L);

} // namespace qv
