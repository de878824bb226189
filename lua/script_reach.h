// What a script from someone else's project may reach. Some doors close for
// every script (ending the host, removing the abort hook, finalizers nobody
// can stop, binary chunks that can crash the interpreter); files, processes,
// native modules and the network stay closed unless the host's own scripting
// preference allows scripts to write files and access the network.
#pragma once

#include <lua.hpp>

#include <string>

namespace qv {

// The message of a refused file, process, module or network call; `what`
// names the call, e.g. "os.execute".
std::string scriptAccessOffMessage(const char *what);

// Made once per state, right after the standard libraries are opened.
void closeDangerousDoors(lua_State *L);

// Made before the user's script when the host's preference is off. Lua
// modules are then found only along the path the script starts with, which
// ends in `pluginFolder`'s module folders.
void closeFileAndNetworkAccess(lua_State *L, const char *pluginFolder);

// The message handler of a script run: an error that is not a string or a
// number becomes text the way the standalone interpreter writes it, while
// the script's abort watch still runs.
int describeErrorObject(lua_State *L);

} // namespace qv
