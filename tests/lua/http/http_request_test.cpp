// `httpRequest` against a real cpp-httplib server on loopback, on a free port.
#include "common/lua_fixture.h"
#include "lua/abort_watch.h"
#include "lua/host_functions.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace {

// A loopback port that nobody listens on: bound once by the system's choice, then closed.
int freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &length);
    ::close(fd);
    return ntohs(addr.sin_port);
}

struct Received {
    std::string method, body, contentType;
};

class HttpTest : public LuaTest {
protected:
    void SetUp() override
    {
        LuaTest::SetUp();
        pc().scriptAccess = 1;  /* the host's preference allows the network */
        server_.Get("/hello", [](const httplib::Request &, httplib::Response &res) {
            res.set_content("hello body", "text/plain");
        });
        server_.Get("/missing", [](const httplib::Request &, httplib::Response &res) {
            res.status = 404;
            res.set_content("<h1>no such page</h1>", "text/html");
        });
        server_.Get("/zero", [](const httplib::Request &, httplib::Response &res) {
            res.set_content(std::string("a\0b\0c", 5), "application/octet-stream");
        });
        server_.Get("/slow", [](const httplib::Request &, httplib::Response &res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            res.set_content("late", "text/plain");
        });
        auto record = [this](const httplib::Request &req, httplib::Response &res) {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.push_back({req.method, req.body, req.get_header_value("Content-Type")});
            res.set_content("got " + req.method, "text/plain");
        };
        server_.Post("/echo", record);
        server_.Put("/echo", record);
        server_.Delete("/echo", record);
        server_.Options("/echo", [](const httplib::Request &, httplib::Response &res) {
            res.status = 204;
            res.set_header("Allow", "GET, POST");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port_, 0);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())  /* stop() before the loop runs would be lost */
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    void TearDown() override
    {
        server_.stop();
        thread_.join();
        LuaTest::TearDown();
    }

    // "status|body" of `qv.request.<method>(timeout, '127.0.0.1', port, path, body, type)`.
    std::string request(const std::string &method, const std::string &path, const std::string &body = "''",
                        const std::string &type = "'text/plain'", int timeout = 5, int port = 0)
    {
        std::string call = "qv.request." + method + "(" + std::to_string(timeout) + ", '127.0.0.1', " +
                           std::to_string(port ? port : port_) + ", '" + path + "', " + body + ", " + type + ")";
        auto m = run("local s, b = " + call + " return math.type(s) .. ':' .. s .. '|' .. b");
        return m ? *m : "<none>";
    }

    std::vector<Received> received()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<Received> received_;
};

TEST_F(HttpTest, GetReturnsStatusAndBody)
{
    EXPECT_EQ(request("get", "/hello"), "integer:200|hello body");
}

TEST_F(HttpTest, A404ComesWithItsPage)
{
    EXPECT_EQ(request("get", "/missing"), "integer:404|<h1>no such page</h1>");
}

TEST_F(HttpTest, BodiesAndContentTypesArrive)
{
    EXPECT_EQ(request("post", "/echo", "'{\"a\":1}'", "'application/json'"), "integer:200|got POST");
    EXPECT_EQ(request("put", "/echo", "'put body'", "'text/plain'"), "integer:200|got PUT");
    EXPECT_EQ(request("delete", "/echo", "'gone'", "'text/x-delete'"), "integer:200|got DELETE");
    std::vector<Received> r = received();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].method, "POST");
    EXPECT_EQ(r[0].body, "{\"a\":1}");
    EXPECT_EQ(r[0].contentType, "application/json");
    EXPECT_EQ(r[1].body, "put body");
    EXPECT_EQ(r[1].contentType, "text/plain");
    EXPECT_EQ(r[2].method, "DELETE");
    EXPECT_EQ(r[2].body, "gone");
    EXPECT_EQ(r[2].contentType, "text/x-delete");
}

TEST_F(HttpTest, BinaryRequestBodiesArriveWhole)
{
    EXPECT_EQ(request("post", "/echo", "'x\\0y'", "'application/octet-stream'"), "integer:200|got POST");
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].body, std::string("x\0y", 3));
}

TEST_F(HttpTest, OptionsIsSent)
{
    EXPECT_EQ(request("options", "/echo"), "integer:204|");
}

TEST_F(HttpTest, ARefusedPortGivesMinusOneAndNoBody)
{
    int closed = freePort();
    EXPECT_EQ(request("get", "/hello", "''", "''", 2, closed), "integer:-1|");
}

TEST_F(HttpTest, AServerTooLateForTheTimeoutGivesMinusOne)
{
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(request("get", "/slow", "''", "''", 1), "integer:-1|");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2400));
}

TEST_F(HttpTest, ABodyWithZeroBytesReachesTheScriptWhole)
{
    EXPECT_EQ(run("local s, b = qv.request.get(5, '127.0.0.1', " + std::to_string(port_) +
                  ", '/zero', '', '') return #b .. (b == 'a\\0b\\0c' and ' same' or ' differs')"),
              "5 same");
}

TEST_F(HttpTest, TooFewArgumentsReturnNothing)
{
    EXPECT_EQ(run("return select('#', qv.request.get(5, '127.0.0.1', " + std::to_string(port_) + ", '/hello'))"),
              "0");
    EXPECT_EQ(run("return select('#', qv.request.post(5, '127.0.0.1', 80, '/', 'body'))"), "0");
    EXPECT_TRUE(received().empty());
}

TEST_F(HttpTest, AMethodOutsideTheTableGivesMinusOneWithoutARequest)
{
    EXPECT_EQ(run("local s, b = __PCFuncs__.httpRequest(__PCData__.pcData, 5, 1, '127.0.0.1', " +
                  std::to_string(port_) + ", '/echo', 'x', 'text/plain') return s .. '|' .. b"),
              "-1|");
    EXPECT_TRUE(received().empty());
}

PF_Err hostCancels(PF_ProgPtr) { return PF_Interrupt_CANCEL; }

TEST_F(HttpTest, NoRequestLeavesOnceTheHostCancelled)
{
    pc().abortCheck = hostCancels;
    EXPECT_EQ(request("post", "/echo", "'late'"), qv::kAbortMessage);
    EXPECT_EQ(lastResult_, PF_Interrupt_CANCEL);
    EXPECT_TRUE(received().empty());
}

struct ArgCase {
    const char *args;
    const char *message;
};

TEST_F(HttpTest, EveryArgumentErrorHasItsExactMessage)
{
    const ArgCase cases[] = {
        {"5, 'h', 80.0, '/', '', ''", "Wrong parameter type: An integer should be sent"},
        {"5.0, 'h', 80, '/', '', ''", "Wrong parameter type: An integer should be sent"},
        {"'5', 'h', 80, '/', '', ''", "Wrong parameter type: An integer should be sent"},
        {"5, {}, 80, '/', '', ''", "Wrong parameter type: A string should be sent"},
        {"5, nil, 80, '/', '', ''", "Wrong parameter type: A string should be sent"},
        {"5, 'h', '80', '/', '', ''", "Wrong parameter type: An integer should be sent"},
        {"5, 'h', 80, true, '', ''", "Wrong parameter type: A string should be sent"},
        {"5, 'h', 80, '/', {}, ''", "Wrong parameter type: A string should be sent"},
        {"5, 'h', 80, '/', '', nil", "Wrong parameter type: A string should be sent"},
    };
    for (const ArgCase &c : cases)
        EXPECT_EQ(error(std::string("qv.request.get(") + c.args + ")"), c.message) << c.args;
    EXPECT_EQ(error("__PCFuncs__.httpRequest(__PCData__.pcData, 0.0, 5, 'h', 80, '/', '', '')"),
              "Wrong parameter type: An integer should be sent");
}

TEST_F(HttpTest, NumbersPassAsStrings)
{
    EXPECT_EQ(run("local s, b = qv.request.post(5, '127.0.0.1', " + std::to_string(port_) +
                  ", '/echo', 42, 7) return s .. '|' .. b"),
              "200|got POST");
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].body, "42");
}

} // namespace
