// Escaping a shader-sized text for a script literal, the cost paid on every
// log line and editor round trip.
#include "support/text.h"

#include <benchmark/benchmark.h>

#include <string>

static void BM_EscapeForScript(benchmark::State &state)
{
    std::string source;
    while (source.size() < static_cast<std::size_t>(state.range(0)))
        source += "vec4 c = texture(layer0, uv); // it's \"fine\"\n\tfragColor = c;\\\n";
    for (auto _ : state) {
        std::string text = source;
        qv::EscapeForScript(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_EscapeForScript)->Arg(4 << 10)->Arg(256 << 10);
