// `httpRequest`: plain HTTP through cpp-httplib's Client (http_transfer.cpp).
// One client per call, so no connection outlives it.
#include "lua/http_function.h"

#include "lua/abort_watch.h"
#include "lua/http_transfer.h"
#include "lua/lua_check.h"
#include "lua/script_reach.h"

#include <string>
#include <string_view>

namespace qv {
namespace {

std::string stringArg(lua_State *L, int index)
{
    std::size_t length = 0;
    const char *text = checkString(L, index, &length);
    return std::string(text, length);
}

// The script's string at `index`, in place: it stays on the stack, and so
// alive, until the function returns.
std::string_view stringView(lua_State *L, int index)
{
    std::size_t length = 0;
    const char *text = checkString(L, index, &length);
    return std::string_view(text, length);
}

// The argument checks, in the order scripts rely on for their messages.
HttpCall readCall(lua_State *L)
{
    HttpCall c;
    c.method = checkInteger(L, 2);
    c.timeout = checkInteger(L, 3);
    c.host = stringArg(L, 4);  /* whole, so a zero byte in it is seen and refused */
    c.port = checkInteger(L, 5);
    c.path = stringArg(L, 6);
    c.body = stringView(L, 7);  /* a body may be most of the script's memory: not copied */
    c.contentType = stringArg(L, 8);
    return c;
}

} // namespace

int luaHttpRequest(lua_State *L)
{
    if (!toContext(L) || lua_gettop(L) < 8)
        return 0;
    HttpCall call = readCall(L);
    if (!toContext(L)->scriptAccess)
        raiseMessage(L, scriptAccessOffMessage("qv.request").c_str());
    checkAbort(L);  /* no new request once the host cancelled */
    HttpReply reply = performHttpCall(call, [L] { return hostAskedToStop(L); });
    checkAbort(L);  /* a cancelled request stops the script */
    lua_pushinteger(L, reply.status);
    lua_pushlstring(L, reply.body.data(), reply.body.size());
    if (reply.refusal.empty())
        return 2;
    lua_pushlstring(L, reply.refusal.data(), reply.refusal.size());
    return 3;  /* status, body and why nothing was sent */
}

} // namespace qv
