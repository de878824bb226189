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
