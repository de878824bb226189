// The Lua host functions called straight, as a script can call them through
// __PCFuncs__, with argument types, values and counts taken from the input,
// over a render context of small buffers whose sizes, depth and parameters
// also come from the input. No GL: glsl and full_glsl are left out, and
// httpRequest only ever reaches a loopback port that refuses connections.
//
// Checked besides not crashing: an error is a message text; nothing is
// written outside the output's pixels, nor into the input or a layer; the
// scripts the functions build around a script's text run in the script
// engine without error (the text cannot break out of its literal); no
// handle or suite is left over.
#include "base/suite_access.h"
#include "lua/host_functions.h"
#include "lua/lua_runtime.h"
#include "testhost/host/handles.h"
#include "testhost/host/host.h"
#include "testhost/scripting/script_engine.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <lua.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned char kGuard = 0xEE;

void expect(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "lua_host fuzz: %s\n", what);
        std::abort();
    }
}

// A port on the loopback interface that nothing listens on.
int refusedPort()
{
    static int port = [] {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
        getsockname(s, reinterpret_cast<sockaddr *>(&a), &length);
        close(s);  /* bound, never listened on, now closed: connections are refused */
        return int(ntohs(a.sin_port));
    }();
    return port;
}

// A host buffer of its own size and padding, the padding and a guard row
// after the pixels set to kGuard.
struct World {
    World(FuzzedDataProvider &in, int bytesPerPixel)
    {
        world.width = in.ConsumeIntegralInRange<int>(0, 5);
        world.height = in.ConsumeIntegralInRange<int>(0, 5);
        int padding = in.ConsumeIntegralInRange<int>(0, 8);
        world.rowbytes = world.width * bytesPerPixel + padding;
        bytes.assign(std::size_t(world.rowbytes) * (world.height + 1) + 1, kGuard);
        uint32_t seed = in.ConsumeIntegral<uint32_t>();  /* pixels from a generator: inputs stay short */
        for (int y = 0; y < world.height; ++y)
            for (int i = 0; i < world.width * bytesPerPixel; ++i)
                bytes[std::size_t(y) * world.rowbytes + i] = static_cast<unsigned char>((seed = seed * 1664525u + 1013904223u) >> 24);
        world.data = in.ConsumeIntegralInRange<int>(0, 15) ? reinterpret_cast<PF_PixelPtr>(bytes.data()) : nullptr;
        pixelWidth = world.width * bytesPerPixel;
    }

    // Every byte outside the pixels still holds kGuard.
    bool guardsIntact() const
    {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::size_t x = i % std::size_t(world.rowbytes ? world.rowbytes : 1);
            bool pixel = world.rowbytes && i / world.rowbytes < std::size_t(world.height) && x < std::size_t(pixelWidth);
            if (!pixel && bytes[i] != kGuard)
                return false;
        }
        return true;
    }

    std::vector<unsigned char> bytes;
    PF_EffectWorld world{};
    int pixelWidth = 0;
};

double anyNumber(FuzzedDataProvider &in)
{
    const double special[] = {0.0, -0.0, 0.5, -0.5, 1.0, 2.5, 1e300, -1e300, 2147483647.5, 9.3e18,
                              std::nan(""), std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, sizeof special / sizeof *special);
    return i < sizeof special / sizeof *special ? special[i] : in.ConsumeFloatingPoint<double>();
}

lua_Integer anyInteger(FuzzedDataProvider &in)
{
    const lua_Integer special[] = {0, 1, -1, -2, -3, 2, 3, 4, 9, 10, 255, 65535, 65536,
                                   std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<lua_Integer>::max(), std::numeric_limits<lua_Integer>::min()};
    std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, sizeof special / sizeof *special);
    return i < sizeof special / sizeof *special ? special[i] : in.ConsumeIntegral<lua_Integer>();
}

void pushString(lua_State *L, FuzzedDataProvider &in)
{
    static const std::string words[] = {"slider", "angle", "checkbox", "point", "3d", "color", "layer", "ch",
                                        "co", "s", "L", "", "x", "\xc3\xa9", "'\"\\ \r\n\t", "\xe2\x80\xa8",
                                        std::string("a\0b", 3), "caf\xe9"};
    std::size_t i = in.ConsumeIntegralInRange<std::size_t>(0, sizeof words / sizeof *words);
    std::string text = i < sizeof words / sizeof *words ? words[i] : in.ConsumeRandomLengthString(64);
    lua_pushlstring(L, text.data(), text.size());
}

// One argument of any type a script can pass.
void pushArgument(lua_State *L, FuzzedDataProvider &in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 8)) {
    case 0: lua_pushnil(L); break;
    case 1: lua_pushboolean(L, in.ConsumeBool()); break;
    case 2: lua_pushinteger(L, anyInteger(in)); break;
    case 3: lua_pushnumber(L, anyNumber(in)); break;
    case 4: pushString(L, in); break;
    case 5: lua_createtable(L, 0, 0); break;
    case 6: lua_getglobal(L, "print"); break;
    case 7: lua_newuserdata(L, 4); break;
    default: lua_pushfstring(L, "%f", anyNumber(in)); break;  /* a numeric string */
    }
}

// The context argument: mostly the render's own, sometimes anything else.
void pushContext(lua_State *L, FuzzedDataProvider &in, qv::PCData *pc)
{
    static uint32_t notAContext[8] = {0x12345678};
    switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0: lua_pushlightuserdata(L, notAContext); break;
    case 1: pushArgument(L, in); break;
    default: lua_pushlightuserdata(L, pc);
    }
}

struct Function {
    const char *name;
    bool runsScript;  // builds a script around the script's text
};

const Function kFunctions[] = {
    {"ch", false}, {"getColor", false}, {"setColor", false}, {"in2out", false}, {"js", false},
    {"alert", true}, {"debug_add", true}, {"debug_sub", true}, {"debug_remain", true}, {"debug_clear", true},
    {"httpRequest", false}};

// httpRequest's host and port (its arguments 4 and 5, the context being 1),
// whatever the input chose, become the refusing loopback port when they would
// pass the function's checks. `context` is the context's stack index.
void keepRequestLocal(lua_State *L, int context, int count)
{
    if (count >= 3 && lua_isstring(L, context + 3)) {
        lua_pushliteral(L, "127.0.0.1");
        lua_replace(L, context + 3);
    }
    if (count >= 4 && lua_isinteger(L, context + 4)) {
        lua_pushinteger(L, refusedPort());
        lua_replace(L, context + 4);
    }
}

int abortCountdown = -1;  // host answers "stop" when it reaches 0; -1 never

PF_Err askAbort(PF_ProgPtr)
{
    if (abortCountdown < 0)
        return PF_Err_NONE;
    return abortCountdown-- == 0 ? PF_Interrupt_CANCEL : PF_Err_NONE;
}

// Scripts built by js run nowhere (a script of the input's own could loop);
// the others run in the engine and must run cleanly.
void routeScripts(bool runThem)
{
    std::lock_guard<std::mutex> lock(qvh::host().mutex);
    if (!runThem) {
        qvh::host().scriptRunner = nullptr;
        return;
    }
    qvh::host().scriptRunner = [](const std::string &script, std::string &result, std::string &error) {
        A_Err err = qvh::scriptEngine().run(script, result, error);
        if (err)
            std::fprintf(stderr, "lua_host fuzz: %s\n  in %s\n", error.c_str(), script.c_str());
        expect(!err, "a script built around a script's text failed");
        return err;
    };
}

void prepareEngine()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    qvh::scriptEngine().restart();
    qvh::scriptEngine().evaluate("function _QUORVEL_log(t) {} function _QUORVEL_sub(n) {}"
                                 " function _QUORVEL_remain(n) {} function _QUORVEL_clear() {}");
}

class Session {
public:
    Session(FuzzedDataProvider &in, qv::SuiteAccess &suites) : in_(in)
    {
        runtime_ = qv::LuaRuntime::create();
        expect(runtime_ != nullptr, "no Lua runtime");
        runtime_->registerHostFunctions();
        makeContext(suites);
    }

    void call();
    void checkBuffers() const;

private:
    void makeContext(qv::SuiteAccess &suites);

    FuzzedDataProvider &in_;
    std::unique_ptr<qv::LuaRuntime> runtime_;
    std::vector<std::unique_ptr<World>> worlds_;  // output, input, then layers
    std::vector<std::vector<unsigned char>> untouched_;  // the input's and layers' bytes
    qv::ParamSnapshot params_;
    std::string folder_ = "C:\\\\Plug-ins";
};

void Session::makeContext(qv::SuiteAccess &suites)
{
    qv::PCData &pc = *runtime_->context();
    const int depths[] = {8, 16, 32};
    pc.depth = int16_t(depths[in_.ConsumeIntegralInRange<int>(0, 2)]);
    pc.bytesPerPixel = int16_t(pc.depth / 2);
    pc.width = in_.ConsumeIntegralInRange<int64_t>(0, 6);
    pc.height = in_.ConsumeIntegralInRange<int64_t>(0, 6);
    double *values = reinterpret_cast<double *>(&params_);  /* the snapshot is nothing but doubles */
    for (std::size_t i = 0; i < sizeof params_ / sizeof(double); ++i)
        values[i] = in_.ConsumeBool() ? anyNumber(in_) : 0.5;
    pc.params = in_.ConsumeIntegralInRange<int>(0, 7) ? &params_ : nullptr;
    pc.suites = in_.ConsumeIntegralInRange<int>(0, 7) ? &suites : nullptr;
    pc.debugLog = in_.ConsumeBool();
    pc.pluginFolder = folder_.c_str();
    pc.abortCheck = askAbort;
    abortCountdown = in_.ConsumeIntegralInRange<int>(-8, 8);
    for (int i = 0; i < 2 + qv::kBankSize; ++i)
        worlds_.emplace_back(i < 2 || in_.ConsumeBool() ? new World(in_, pc.bytesPerPixel) : nullptr);
    pc.outputWorld = &worlds_[0]->world;
    pc.inputWorld = &worlds_[1]->world;
    for (int i = 0; i < qv::kBankSize; ++i)
        pc.layerWorlds[i] = worlds_[2 + i] ? &worlds_[2 + i]->world : nullptr;
    for (std::size_t i = 1; i < worlds_.size(); ++i)
        untouched_.push_back(worlds_[i] ? worlds_[i]->bytes : std::vector<unsigned char>());
}

void Session::call()
{
    lua_State *L = runtime_->state();
    const Function &f = kFunctions[in_.ConsumeIntegralInRange<std::size_t>(0, sizeof kFunctions / sizeof *kFunctions - 1)];
    lua_settop(L, 0);
    lua_getglobal(L, "__PCFuncs__");
    lua_getfield(L, -1, f.name);
    pushContext(L, in_, runtime_->context());
    int count = in_.ConsumeIntegralInRange<int>(0, 9);
    for (int i = 0; i < count; ++i)
        pushArgument(L, in_);
    if (std::strcmp(f.name, "httpRequest") == 0)
        keepRequestLocal(L, 3, count);
    routeScripts(f.runsScript);
    if (lua_pcall(L, count + 1, LUA_MULTRET, 0) != LUA_OK)
        expect(lua_type(L, -1) == LUA_TSTRING && lua_rawlen(L, -1) > 0, "an error that is no message");
    lua_settop(L, 0);
}

void Session::checkBuffers() const
{
    for (const auto &w : worlds_)
        expect(!w || w->guardsIntact(), "a write outside a buffer's pixels");
    for (std::size_t i = 1; i < worlds_.size(); ++i)
        expect(!worlds_[i] || worlds_[i]->bytes == untouched_[i - 1], "the input or a layer was written");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    prepareEngine();
    refusedPort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::size_t memory = qvh::memoryHandles().live(), handles = qvh::hostHandles().live();
    FuzzedDataProvider in(data, size);
    {
        qv::SuiteAccess suites(qvh::host().suites.basicSuite());
        Session session(in, suites);
        for (int calls = 0; calls < 32 && in.remaining_bytes() > 0; ++calls) {
            session.call();
            session.checkBuffers();
        }
    }
    expect(qvh::memoryHandles().live() == memory && qvh::hostHandles().live() == handles, "handles leaked");
    expect(qvh::host().suites.outstanding() == 0, "suites left acquired");
    expect(qvh::host().misuse().empty(), "a host service was misused");
    /* what the simulator recorded goes, so an input leaves the heap as it
       found it and libFuzzer's per-input leak check stays quiet */
    qvh::host().reset();
    qvh::scriptEngine().evaluate("__qvh.alerts.length = 0;");
    return 0;
}
