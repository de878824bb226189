// What every render pays before any code runs: a new Lua state with its
// libraries, the initial chunk, the thirteen host functions and the prelude,
// then closing it. Built for every render, whatever the language.
#include "lua/lua_runtime.h"

#include <benchmark/benchmark.h>

static void BM_LuaRuntimeBuildAndClose(benchmark::State &state)
{
    for (auto _ : state) {
        auto runtime = qv::LuaRuntime::create();
        runtime->registerHostFunctions();
        runtime->close();
        benchmark::DoNotOptimize(runtime.get());
    }
}
BENCHMARK(BM_LuaRuntimeBuildAndClose)->Unit(benchmark::kMicrosecond);

// The same plus an empty script, as a Lua render runs it.
static void BM_LuaRuntimeEmptyScript(benchmark::State &state)
{
    for (auto _ : state) {
        auto runtime = qv::LuaRuntime::create();
        runtime->registerHostFunctions();
        runtime->context()->pluginFolder = "";
        runtime->run("");
        benchmark::DoNotOptimize(runtime->takeMessage());
        runtime->close();
    }
}
BENCHMARK(BM_LuaRuntimeEmptyScript)->Unit(benchmark::kMicrosecond);

static PF_Err neverAbort(PF_ProgPtr)
{
    return PF_Err_NONE;
}

// The same with the host's abort callback given: the run starts and joins the
// watchdog thread.
static void BM_LuaRuntimeEmptyScriptAbortWatched(benchmark::State &state)
{
    for (auto _ : state) {
        auto runtime = qv::LuaRuntime::create();
        runtime->registerHostFunctions();
        runtime->context()->pluginFolder = "";
        runtime->context()->abortCheck = neverAbort;
        runtime->run("");
        benchmark::DoNotOptimize(runtime->takeMessage());
        runtime->close();
    }
}
BENCHMARK(BM_LuaRuntimeEmptyScriptAbortWatched)->Unit(benchmark::kMicrosecond);
