// Per-pixel host calls over a 1920x1080 frame at each depth, beside the floor:
// the same Lua loop calling a C function that does nothing, reached the same
// way (a global table lookup and a Lua wrapper, as `qv` members are).
#include "bench/lua_frame.h"

#include <lua.hpp>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

int emptyFunction(lua_State *)
{
    return 0;
}

// Installs `floor.call`: a Lua wrapper passing the context to an empty C
// function, exactly as the prelude wraps the host functions.
void installFloor(lua_State *L)
{
    lua_register(L, "__emptyFunction", emptyFunction);
    luaL_dostring(L, "floor = {} floor.call = function(...) return __emptyFunction(__PCData__.pcData, ...) end "
                     "floor.direct = __emptyFunction");
    lua_settop(L, 0);
}

PF_Err neverAbort(PF_ProgPtr)
{
    return PF_Err_NONE;
}

void runLoop(benchmark::State &state, const char *body, bool hostAsksToAbort = false)
{
    LuaBenchFrame frame(kWidth, kHeight, int(state.range(0)));
    if (hostAsksToAbort)
        frame.runtime->context()->abortCheck = neverAbort;  /* the watchdog runs */
    installFloor(frame.runtime->state());
    std::string code = std::string("for y = 0, ") + std::to_string(kHeight - 1) + " do for x = 0, " +
                       std::to_string(kWidth - 1) + " do " + body + " end end";
    for (auto _ : state) {
        frame.runtime->run(code.c_str());
        if (auto message = frame.runtime->takeMessage())
            state.SkipWithError(message->c_str());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}

} // namespace

static void BM_FloorDirectEmptyCall(benchmark::State &state) { runLoop(state, "floor.direct(x, y, 1, 0.5, 0.25, 0)"); }
static void BM_FloorWrappedEmptyCall(benchmark::State &state) { runLoop(state, "floor.call(x, y, 1, 0.5, 0.25, 0)"); }
static void BM_SetColor(benchmark::State &state) { runLoop(state, "qv.setColor(x, y, 1, 0.5, 0.25, 0)"); }
static void BM_SetColorAbortWatched(benchmark::State &state) { runLoop(state, "qv.setColor(x, y, 1, 0.5, 0.25, 0)", true); }
static void BM_GetColor(benchmark::State &state) { runLoop(state, "qv.getColor(-1, x, y)"); }
static void BM_FloorWrappedEmptyRead(benchmark::State &state) { runLoop(state, "floor.call(-1, x, y)"); }

BENCHMARK(BM_FloorDirectEmptyCall)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWrappedEmptyCall)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetColor)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetColorAbortWatched)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWrappedEmptyRead)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetColor)->Arg(8)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond);
