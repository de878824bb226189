// What a render's Lua state carries besides the script: the render context
// (the light userdata scripts hand to the host functions) and the run's own
// bookkeeping, reached from inside the state through its extra space.
#pragma once

#include "base/render_context.h"

#include <exception>
#include <string>

struct lua_State;

namespace qv {

struct RuntimeContext {
    PCData pcData;              // first, so the light userdata points at the PCData
    std::exception_ptr hostFault;  // thrown by a host service mid-script, rethrown after the run
    bool aborted = false;       // the host's abort callback answered "stop"
    std::string scriptSource;   // the user's chunk as error positions name it ("[string \"...\"]")
};

// The context of the runtime that owns `L` (any coroutine of it); null for a
// state that no runtime made.
RuntimeContext *runtimeContextOf(lua_State *L);
void attachRuntimeContext(lua_State *L, RuntimeContext *context);

} // namespace qv
