// The registration table of the thirteen Lua host functions behind `qv`,
// which the runtime stores into __PCFuncs__.
#pragma once

#include <lua.hpp>

namespace qv {

struct HostFunctionReg {
    const char *name;
    lua_CFunction function;
};
// Name in __PCFuncs__ and function, in registration order.
extern const HostFunctionReg kHostFunctions[13];

} // namespace qv
