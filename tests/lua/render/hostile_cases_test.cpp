// Projects made to harm, rendered with qvhost as a user would open them: one
// row per hostile script or server. Each must end in its expected message or
// in the host's cancel, within its bound, with qvhost alive to report it (exit
// status 1: the frame failed; never the script's exit code or a crash), and
// with no file outside the test's folder created or changed. The same scripts that need files or the network work once the
// host's preference allows them.
#include "common/hostile_server.h"
#include "common/run_command.h"
#include "common/file_bytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;


// The request body's length as the head announces it.
std::size_t contentLength(const std::string &head)
{
    std::size_t at = head.find("Content-Length: ");
    return at == std::string::npos ? 0 : std::stoull(head.substr(at + 16));
}

// A server of one behaviour: "ok" answers "fine"; "trickle" sends a byte
// every 0.3 s; "headers" sends headers without end; "body" a body without
// end; "gzip" a gzip of 100 MB of zeros; "count" reads the request's body
// and answers how many bytes came; anything else never answers.
HostileServer::Behaviour answer(const std::string &what)
{
    static const std::string gzip = fileBytes(QV_TEST_DATA_DIR "/zeros-100mb.gz");
    return [what](HostileServer::Connection &c) {
        std::string head = c.readRequestHead();
        if (what == "count") {
            std::string count = std::to_string(c.skip(contentLength(head)));
            c.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(count.size()) +
                   "\r\nConnection: close\r\n\r\n" + count);
        } else if (what == "ok") {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\nConnection: close\r\n\r\nfine");
        } else if (what == "trickle") {
            c.send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
            while (c.pause(300ms) && c.send("x")) {
            }
        } else if (what == "headers") {
            c.send("HTTP/1.1 200 OK\r\n");
            std::string block;
            for (int i = 0; i < 1000; ++i)
                block += "X-Filler: " + std::string(1000, 'h') + "\r\n";
            while (c.send(block) && c.pause(10ms)) {
            }
        } else if (what == "body") {
            c.send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
            const std::string block(1 << 20, 'b');
            while (c.send(block)) {
            }
        } else if (what == "gzip") {
            c.send("HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + std::to_string(gzip.size()) +
                   "\r\n\r\n" + gzip);
        } else {  /* silent */
            while (c.pause(50ms)) {
            }
        }
    };
}

class HostileCasesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-hostile-XXXXXX";
        dir_ = mkdtemp(pattern);
        outside_ = dir_ + ".outside";  /* a folder that is not the test's: nothing may change there */
        mkdir(outside_.c_str(), 0755);
        std::ofstream(outside_ + "/victim.txt") << "untouched";
    }
    void TearDown() override
    {
        EXPECT_EQ(fileBytes(outside_ + "/victim.txt"), "untouched");
        EXPECT_EQ(listing(outside_), "victim.txt\n");
        std::system(("rm -rf '" + dir_ + "' '" + outside_ + "'").c_str());
    }

    static std::string listing(const std::string &folder)
    {
        return runCommand("ls -A '" + folder + "'").output;
    }

    struct Outcome {
        int status;
        std::string output;
        double seconds;
    };

    // Renders `script` as Lua with the debug log on; `$OUT` in the script is
    // the outside folder, `$PORT` the server's port.
    Outcome render(std::string script, const std::string &args, int port = 0)
    {
        for (std::size_t at; (at = script.find("$OUT")) != std::string::npos;)
            script.replace(at, 4, outside_);
        for (std::size_t at; (at = script.find("$PORT")) != std::string::npos;)
            script.replace(at, 5, std::to_string(port));
        std::ofstream(dir_ + "/script.lua") << script;
        return runQvhost("render --language lua --code '" + dir_ + "/script.lua' --size 16x16 --debug --out '" + dir_ +
                         "/out.png' " + args);
    }

    // Runs qvhost with `args` under a time limit of two minutes, so a render
    // that never stops fails (status 124) instead of hanging the test.
    Outcome runQvhost(const std::string &args)
    {
        auto start = std::chrono::steady_clock::now();
        CommandRun run = runCommand("timeout 120 " + std::string(QV_QVHOST_PATH) + " " + args + " 2>&1");
        return {run.status, run.output,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count()};
    }

    std::string dir_, outside_;
};

const char kCancelled[] = "Script stopped: the host cancelled the render.";
const char kNoAccess[] = "\"Allow Scripts to Write Files and Access Network\"";

struct Row {
    const char *name;
    const char *script;
    const char *expected;  // in the output
    const char *server;    // an HTTP server's behaviour for $PORT, or null
    double bound;          // seconds
    const char *args = nullptr;  // qvhost's options, when not "--abort-after 2"
};

TEST_F(HostileCasesTest, EveryHostileScriptEndsInItsErrorOrTheCancel)
{
    const Row rows[] = {
        {"shell command", "os.execute('touch $OUT/made')", kNoAccess, nullptr, 30},
        {"shell through qv.cmd", "qv.cmd('touch $OUT/made')", kNoAccess, nullptr, 30},
        {"reading the password file", "return io.open('/etc/passwd'):read('a')", kNoAccess, nullptr, 30},
        {"writing a file", "io.open('$OUT/made', 'w'):write('x')", kNoAccess, nullptr, 30},
        {"removing a file", "os.remove('$OUT/victim.txt')", kNoAccess, nullptr, 30},
        {"renaming a file", "os.rename('$OUT/victim.txt', '$OUT/moved')", kNoAccess, nullptr, 30},
        {"a native library", "package.loadlib('libc.so.6', 'abort')()", kNoAccess, nullptr, 30},
        {"ending the host", "os.exit(7)", "os.exit is not available", nullptr, 30},
        {"changing the host's locale", "os.setlocale('C')", "os.setlocale can only query", nullptr, 30},
        {"an endless finalizer", "setmetatable({}, {__gc = function() while true do end end}) collectgarbage()",
         "Finalizers (__gc) are not available", nullptr, 30},
        {"removing the hook inside a coroutine",
         "coroutine.wrap(function() debug.sethook() while true do end end)()", "debug.sethook is not available",
         nullptr, 30},
        {"a coroutine from the original create",
         "local make = debug.getupvalue(coroutine.create, 1) or coroutine.create "
         "coroutine.resume(make(function() while true do end end))",
         kCancelled, nullptr, 30},
        {"a backtracking pattern", "return string.find(string.rep('a', 3000), '.-.-.-.-.-.-b')",
         "Pattern too complex", nullptr, 30},
        {"a crafted binary chunk", "assert(load(string.dump(function() end)))",
         "attempt to load a binary chunk", nullptr, 30},
        {"a string past the memory cap", "local s = string.rep('x', (1 << 30) + 1)", "not enough memory", nullptr, 30},
        {"a table as the error", "error({1, 2, 3})", "(error object is a table value)", nullptr, 30},
        {"nil as the error", "error(nil)", "(error object is a nil value)", nullptr, 30},
        {"HTTP without the preference", "local status = qv.request.get(5, '127.0.0.1', $PORT, '/', '', '')", kNoAccess, "ok",
         30},
        {"the original load, from its reader",
         "local raw load(function() raw = raw or debug.getinfo(2, 'f').func end) "
         "assert(raw(string.dump(function() end)))()",
         "attempt to call a nil value", nullptr, 30},
        {"the original coroutine.create, from a message handler",
         "local raw xpcall(coroutine.create, function(m) raw = debug.getinfo(2, 'f').func return m end, 1) "
         "coroutine.resume(raw(function() while true do end end))",
         "attempt to call a nil value", nullptr, 30},
        {"the environment", "return os.getenv('HOME')", kNoAccess, nullptr, 30},
        {"a module by a path out of the plug-in folders", "require('/../../../../../../etc/passwd')",
         "module '/../../../../../../etc/passwd' not found", nullptr, 30},
        {"a message handler that loops",
         "xpcall(function() while true do end end, function() while true do end end)", kCancelled, nullptr, 30},
        {"optional items", "return string.rep('a', 40):match(string.rep('a?', 40) .. string.rep('a', 40))",
         "Pattern too complex", nullptr, 30},
        {"two repeated items on a long text", "return (string.rep('a', 300000)):find('a*a*b')", kCancelled, nullptr,
         30},
        {"a GLSL pass with a huge array", "qv.glsl('float a[2000000000]; void main(){ outColor = vec4(a[1]); }')",
         "elements in all, more than the 4096 allowed", nullptr, 30},
        {"a host script without the preference", "return qv.js('1 + 1')", kNoAccess, nullptr, 30},
        {"an endless host script that catches the stop",
         "return qv.js('for (;;) { try { while (true) {} } catch (e) {} }')", kCancelled, nullptr, 30,
         "--abort-after 2 --allow-script-access"},
        {"a host script that grows without end",
         "error(select(2, qv.js('var a = [], s = new Array(1 << 16).join(\"x\"); for (;;) a.push(s + a.length);')))",
         "more than the script engine's 256 MB of memory", nullptr, 60, "--allow-script-access"},
    };
    for (const Row &row : rows) {
        std::unique_ptr<HostileServer> server;
        if (row.server)
            server.reset(new HostileServer(answer(row.server)));
        Outcome o = render(row.script, row.args ? row.args : "--abort-after 2", server ? server->port() : 0);
        EXPECT_NE(o.output.find(row.expected), std::string::npos) << row.name << ":\n" << o.output;
        EXPECT_EQ(o.status, 1) << row.name << "\n" << o.output;
        EXPECT_LT(o.seconds, row.bound) << row.name;
    }
}

// What took minutes inside C before now ends at once, and the frame is done.
TEST_F(HostileCasesTest, APlainSearchOfALongNeedleIsLinear)
{
    Outcome o = render("local t = string.rep('a', 20000000) "
                       "return tostring(t:find(string.rep('a', 10000000) .. 'b', 1, true))",
                       "--abort-after 60");
    EXPECT_NE(o.output.find("(1 entries, newest first):\nnil"), std::string::npos) << o.output;
    EXPECT_EQ(o.status, 0) << o.output;
}

TEST_F(HostileCasesTest, HostileServersEndInMinusOneOrTheCancel)
{
    const char *kLateAbort = "--abort-after 50 --allow-script-access";
    const Row rows[] = {
        /* these end by their own limits: the host's abort comes late enough never to be what ends them */
        {"a byte every 0.3 s", "return (qv.request.get(1, '127.0.0.1', $PORT, '/', '', ''))", "-1", "trickle", 60,
         kLateAbort},
        {"endless headers", "return (qv.request.get(1, '127.0.0.1', $PORT, '/', '', ''))", "-1", "headers", 60,
         kLateAbort},
        {"an endless body", "return (qv.request.get(600, '127.0.0.1', $PORT, '/', '', ''))", "-1", "body", 60,
         kLateAbort},
        {"a gzip bomb", "return (qv.request.get(600, '127.0.0.1', $PORT, '/', '', ''))", "-1", "gzip", 60,
         kLateAbort},
        {"a silent server, a huge timeout", "return (qv.request.get(100000, '127.0.0.1', $PORT, '/', '', ''))",
         kCancelled, "silent", 30},
        {"a silent server, the largest timeout", "return (qv.request.get(math.maxinteger, '127.0.0.1', $PORT, '/', '', ''))",
         kCancelled, "silent", 30},
        {"a silent server, 2^40 seconds", "return (qv.request.get(1 << 40, '127.0.0.1', $PORT, '/', '', ''))",
         kCancelled, "silent", 30},
    };
    for (const Row &row : rows) {
        HostileServer server(answer(row.server));
        Outcome o = render(row.script, row.args ? row.args : "--abort-after 2 --allow-script-access", server.port());
        EXPECT_NE(o.output.find(std::string("(1 entries, newest first):\n") + row.expected), std::string::npos)
            << row.name << ":\n" << o.output;
        /* a request's -1 is a value the script returns: the frame renders; the cancel fails it */
        int status = std::strcmp(row.expected, kCancelled) == 0 ? 1 : 0;
        EXPECT_EQ(o.status, status) << row.name << "\n" << o.output;
        EXPECT_LT(o.seconds, row.bound) << row.name;
    }
}

// The body is sent from the script's own string: the process's peak (VmHWM,
// in kB) stays near what the script holds, twice the body while string.rep
// makes it, where each copy on the way out would add the body again. No
// abort here: making and sending 400 MB may take a while on a busy machine.
TEST_F(HostileCasesTest, ALargeRequestBodyTakesNoMemoryBesideTheScripts)
{
    HostileServer server(answer("count"));
    Outcome o = render("local body = string.rep('x', 400 << 20) "
                       "local status, got = qv.request.post(100, '127.0.0.1', $PORT, '/', body, 'text/plain') "
                       "local peak = tonumber(io.open('/proc/self/status'):read('a'):match('VmHWM:%s*(%d+)')) "
                       "return status .. ' ' .. got .. ' ' .. (peak < (1 << 20) + (256 << 10) and 'within' or peak)",
                       "--allow-script-access", server.port());
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("(1 entries, newest first):\n200 419430400 within"), std::string::npos) << o.output;
}

TEST_F(HostileCasesTest, WithThePreferenceTheScriptsThatNeedItWork)
{
    HostileServer server(answer("ok"));
    std::string script =
        "local h = io.open('" + dir_ + "/made.txt', 'w') h:write('made') h:close() "
        "local ran = os.execute('true') "
        "local status, body = qv.request.get(5, '127.0.0.1', $PORT, '/', '', '') "
        "local made = io.open('" + dir_ + "/made.txt'):read('a') "
        "local removed = qv.js('new File(\"" + dir_ + "/made.txt\").remove()') "
        "return made .. ' ' .. tostring(ran) .. ' ' .. status .. ' ' .. body .. ' ' .. removed .. ' ' .. "
        "tostring(io.open('" + dir_ + "/made.txt'))";
    Outcome o = render(script, "--allow-script-access", server.port());
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_NE(o.output.find("made true 200 fine true nil"), std::string::npos) << o.output;
    o = render(script, "", server.port());
    EXPECT_NE(o.output.find(kNoAccess), std::string::npos) << o.output;
}

// Shaders: a slow loop stops when the host cancels, and a frame past the GL's
// texture size limit is refused with a message rather than drawn black.
TEST_F(HostileCasesTest, HostileShadersStopOrAreRefused)
{
    /* about 17 s at 128 x 128 on two cores (llvmpipe caps a loop nest near 65536 iterations,
       so the work is in each iteration): long enough that the stop is what ends it */
    std::ofstream(dir_ + "/slow.glsl")
        << "void main(){ vec4 c = vec4(0.0);\n"
           "for (int i = 0; i < 60000; ++i) { float f = float(i % 7);\n"
           "  c += getColor(uv * f) * sin(float(i)) + getColor(uv.yx * f) * cos(float(i))\n"
           "     + getColor(uv * (f + 0.5)) * sin(float(i) * 0.5) + getColor(uv.yx * (f + 0.5)); }\n"
           "outColor = c; }\n";
    struct Case {
        const char *args;
        const char *expected;
        double bound;
    } cases[] = {
        {"--size 128x128 --abort-after 1", "failed with error 517", 20},
        {"--size 16400x4", "larger than the GPU's maximum texture size", 60},
        {"--size 16x16 --code '" QV_TEST_DATA_DIR "/hostile_shaders/huge_array.glsl'",
         "elements in all, more than the 4096 allowed", 60},
        {"--size 16x16 --code '" QV_TEST_DATA_DIR "/hostile_shaders/macro_bomb.glsl'",
         "Refused before compiling: the shader's macros expand to more than", 60},
    };
    for (const Case &c : cases) {
        /* a row with its own --code renders that instead of the slow loop */
        std::string code = std::strstr(c.args, "--code ") ? "" : "--code '" + dir_ + "/slow.glsl' ";
        Outcome o = runQvhost("render " + code + "--out '" + dir_ + "/out.png' " + c.args);
        EXPECT_NE(o.output.find(c.expected), std::string::npos) << c.args << ":\n" << o.output;
        EXPECT_EQ(o.status, 1) << c.args;
        EXPECT_LT(o.seconds, c.bound) << c.args;
    }
}

} // namespace
