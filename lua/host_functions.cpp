// The registration table. Every entry runs behind a guard: a host service
// that throws (a missing suite throws the integer 516) must
// not cross Lua's own frames as a foreign exception, so the guard records the
// error, stops the script with a Lua error, and LuaRuntime::run rethrows it.
#include "lua/host_functions.h"

#include "lua/http_function.h"
#include "lua/pixel_functions.h"
#include "lua/script_functions.h"
#include "lua/lua_check.h"
#include "lua/runtime_context.h"

#include <exception>

namespace qv {
namespace {

constexpr char kHostErrorMessage[] = "QUORVEL::INNER_ERROR: a host service failed during the script.";

template <lua_CFunction F> int guarded(lua_State *L)
{
    std::exception_ptr fault;
    try {
        return F(L);
    } catch (PF_Err) {  /* only the host's kinds: a Lua error is an exception too */
        fault = std::current_exception();
    } catch (const std::exception &) {
        fault = std::current_exception();
    }
    if (RuntimeContext *rc = runtimeContextOf(L))
        rc->hostFault = fault;
    raiseMessage(L, kHostErrorMessage);  /* outside the handlers */
}

} // namespace

const HostFunctionReg kHostFunctions[13] = {
    {"ch", guarded<luaCh>},
    {"in2out", guarded<luaIn2out>},
    {"glsl", guarded<luaGlsl>},
    {"full_glsl", guarded<luaFullGlsl>},
    {"js", guarded<luaJs>},
    {"getColor", guarded<luaGetColor>},
    {"setColor", guarded<luaSetColor>},
    {"debug_add", guarded<luaDebugAdd>},
    {"debug_sub", guarded<luaDebugSub>},
    {"debug_remain", guarded<luaDebugRemain>},
    {"debug_clear", guarded<luaDebugClear>},
    {"httpRequest", guarded<luaHttpRequest>},
    {"alert", guarded<luaAlert>},
};

} // namespace qv
