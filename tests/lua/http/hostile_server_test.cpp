// The HTTP client against servers that misbehave: the script's timeout bounds
// the whole request, the host's abort cancels it, and bodies (inflated or
// not) stop at their limit. Every case must end with status -1 well within
// its bound; the bounds are generous, they catch a request that never ends.
#include "common/hostile_server.h"
#include "common/file_bytes.h"
#include "lua/abort_watch.h"
#include "common/lua_fixture.h"
#include "lua/host_functions.h"
#include "lua/http_transfer.h"

#include <fstream>
#include <mutex>
#include <optional>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;


void trickle(HostileServer::Connection &c)
{
    c.readRequestHead();
    c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
    while (c.pause(300ms) && c.send("x")) {
    }
}

void silence(HostileServer::Connection &c)
{
    c.readRequestHead();
    while (c.pause(50ms)) {
    }
}

void endlessHeaders(HostileServer::Connection &c)
{
    c.readRequestHead();
    c.send("HTTP/1.1 200 OK\r\n");
    const std::string line = "X-Filler: " + std::string(1000, 'h') + "\r\n";
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += line;
    while (c.send(block) && c.pause(10ms)) {  /* about 100 MB/s */
    }
}

void endlessBody(HostileServer::Connection &c)
{
    c.readRequestHead();
    c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
    const std::string block(1 << 20, 'b');
    while (c.send(block)) {
    }
}

HostileServer::Behaviour gzipBomb(const std::string &gzip)
{
    return [gzip](HostileServer::Connection &c) {
        c.readRequestHead();
        c.send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + std::to_string(gzip.size()) +
               "\r\n\r\n" + gzip);
    };
}

class HostileHttpTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        pc().scriptAccess = 1;
    }
    // Runs qv.request.get against `server` and gives "status|body length"
    // and the time it took.
    std::string get(HostileServer &server, int timeout, double *seconds)
    {
        auto start = Clock::now();
        auto m = run("local s, b = qv.request.get(" + std::to_string(timeout) + ", '127.0.0.1', " +
                     std::to_string(server.port()) + ", '/', '', '') return s .. '|' .. #b");
        *seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return m ? *m : "<none>";
    }
};

TEST_F(HostileHttpTest, MisbehavingServersEndInMinusOneWithinTheirBound)
{
    struct Row {
        const char *name;
        HostileServer::Behaviour behaviour;
        int timeout;       // the script's, seconds
        double bound;      // the request must be over by then
    } rows[] = {
        {"a byte every 0.3 s", trickle, 1, 6},
        {"a server that never answers", silence, 1, 6},
        {"endless response headers", endlessHeaders, 1, 6},
        {"endless response headers under a long timeout", endlessHeaders, 600, 10},
        {"a body past the limit, read to the close", endlessBody, 600, 60},
        {"a gzip of zeros that inflates past the limit", gzipBomb(fileBytes(QV_TEST_DATA_DIR "/zeros-100mb.gz")), 600, 60},
    };
    for (Row &row : rows) {
        HostileServer server(row.behaviour);
        double seconds = 0;
        EXPECT_EQ(get(server, row.timeout, &seconds), "-1|0") << row.name;
        EXPECT_LT(seconds, row.bound) << row.name;
    }
}

PF_Err cancelAfterAWhile(PF_ProgPtr)
{
    static Clock::time_point first;
    static int asks = 0;
    if (asks++ == 0)
        first = Clock::now();
    return Clock::now() - first > 300ms ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

TEST_F(HostileHttpTest, TheHostsAbortCancelsARequestInFlight)
{
    HostileServer server(silence);
    pc().abortCheck = cancelAfterAWhile;
    double seconds = 0;
    EXPECT_EQ(get(server, 100000, &seconds), qv::kAbortMessage);
    EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL);
    EXPECT_LT(seconds, 30);
}

TEST_F(HostileHttpTest, CompressedBodiesWithinTheLimitArriveInflated)
{
    HostileServer server(gzipBomb(fileBytes(QV_TEST_DATA_DIR "/zeros-100mb.gz")));
    qv::HttpCall call{0, 60, "127.0.0.1", server.port(), "/", "", ""};
    qv::HttpReply reply = qv::performHttpCall(call, [] { return false; }, std::size_t(200) << 20);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, std::string(std::size_t(100) << 20, '\0'));
}

// Text that would end the request line or a header early is refused before
// anything is sent: the server sees no connection, let alone a header of the
// script's making.
TEST_F(HostileHttpTest, LineBreaksAndZeroBytesInRequestTextAreRefusedUnsent)
{
    struct Row {
        const char *name;
        const char *method;
        const char *host, *path, *contentType;  // Lua expressions
        const char *part;                       // named in the refusal
    } rows[] = {
        {"CR LF in the content type", "post", "'127.0.0.1'", "'/'", "'text/plain\\r\\nX-Injected: 1'", "content type"},
        {"a bare LF in the content type", "put", "'127.0.0.1'", "'/'", "'text/plain\\nX-Injected: 1'", "content type"},
        {"a zero byte in the content type", "delete", "'127.0.0.1'", "'/'", "'text/plain\\0X'", "content type"},
        {"CR LF in the path", "get", "'127.0.0.1'", "'/ HTTP/1.1\\r\\nX-Injected: 1\\r\\n\\r\\nGET /'", "''",
         "path"},
        {"a zero byte in the path", "get", "'127.0.0.1'", "'/\\0/x'", "''", "path"},
        {"a zero byte ending the host early", "get", "'127.0.0.1\\0.example'", "'/'", "''", "host"},
        {"CR LF in the host", "options", "'127.0.0.1\\r\\nX-Injected: 1'", "'/'", "''", "host"},
    };
    for (const Row &row : rows) {
        std::mutex mutex;
        std::string arrived;
        std::optional<std::string> m;
        {
            HostileServer server([&](HostileServer::Connection &c) {
                std::string head = c.readRequestHead();
                std::lock_guard<std::mutex> lock(mutex);
                arrived += head.empty() ? "<a connection>" : head;
                c.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
            });
            m = run("return table.concat({qv.request." + std::string(row.method) + "(5, " + row.host + ", " +
                    std::to_string(server.port()) + ", " + row.path + ", 'body', " + row.contentType + ")}, '|')");
        }
        EXPECT_EQ(m.value_or("<none>"),
                  std::string("-1||Request not sent: its ") + row.part + " holds a line break or a zero byte")
            << row.name;
        EXPECT_EQ(arrived, "") << row.name;
    }
}

} // namespace
