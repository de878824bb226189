// `httpRequest`: plain HTTP through cpp-httplib's blocking Client.
// One client per call, so no connection outlives it.
#include "lua/host_functions.h"
#include "lua/lua_check.h"
#include "lua/script_reach.h"

#include <httplib.h>

#include <string>

namespace qv {
namespace {

struct HttpReply {
    int status = -1;   // -1: no response
    std::string body;  // whole: a binary body keeps its zero bytes
};

struct HttpCall {
    lua_Integer method;
    lua_Integer timeout;  // seconds
    std::string host;
    lua_Integer port;
    std::string path, body, contentType;
};

httplib::Result send(httplib::Client &client, const HttpCall &c)
{
    const httplib::Headers none;
    switch (c.method) {
    case 0: return client.Get(c.path, none);
    case 1: return client.Post(c.path, none, c.body, c.contentType);
    case 2: return client.Put(c.path, none, c.body, c.contentType);
    case 3: return client.Delete(c.path, none, c.body, c.contentType);
    default: return client.Options(c.path, none);
    }
}

HttpReply request(const HttpCall &c)
{
    HttpReply reply;
    if (c.method < 0 || c.method > 4 || c.port < 0 || c.port > 65535)
        return reply;  /* no request at all */
    time_t seconds = c.timeout < 0 ? 0 : time_t(c.timeout);  /* negative would wait forever */
    httplib::Client client(c.host, int(c.port));
    client.set_connection_timeout(seconds);
    client.set_read_timeout(seconds);
    client.set_write_timeout(seconds);
    try {
        if (httplib::Result r = send(client, c)) {
            reply.status = r->status;
            reply.body = r->body;
        }
    } catch (const std::exception &) {
        reply = HttpReply();  /* a client fault is a failed request, not a host error */
    }
    return reply;
}

std::string stringArg(lua_State *L, int index)
{
    std::size_t length = 0;
    const char *text = checkString(L, index, &length);
    return std::string(text, length);
}

// The argument checks, in the order scripts rely on for their messages.
HttpCall readCall(lua_State *L)
{
    HttpCall c;
    c.method = checkInteger(L, 2);
    c.timeout = checkInteger(L, 3);
    c.host = checkString(L, 4);  /* used as it is, up to any zero byte */
    c.port = checkInteger(L, 5);
    c.path = stringArg(L, 6);
    c.body = stringArg(L, 7);
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
    HttpReply reply = request(call);
    lua_pushinteger(L, reply.status);
    lua_pushlstring(L, reply.body.data(), reply.body.size());
    return 2;
}

} // namespace qv
