// The conversions over whole frames, beside a memcpy of the same
// float bytes (W x H x 16) in the same run: copyToBuffer (host to float, the
// texture upload path) and writeTile (float to host, tile by tile from an
// FBO-sized read-back as the render pass does).
#include "engine/pixel_convert.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int64_t kFbo = 1024;

struct HostFrame {
    HostFrame(int width, int height, int depth)
        : bytes(static_cast<size_t>(width) * height * (depth / 2))
    {
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
        if (depth == 32) {  /* sensible floats rather than random bit patterns */
            float *f = reinterpret_cast<float *>(bytes.data());
            for (size_t i = 0; i < bytes.size() / 4; ++i)
                f[i] = static_cast<float>(i % 1000) / 999.0f;
        }
        world.data = reinterpret_cast<PF_PixelPtr>(bytes.data());
        world.width = width;
        world.height = height;
        world.rowbytes = width * (depth / 2);
    }
    std::vector<unsigned char> bytes;
    PF_EffectWorld world{};
};

int64_t floatBytes(const benchmark::State &state)
{
    return state.range(0) * state.range(1) * 16;
}

void BM_Memcpy(benchmark::State &state)
{
    std::vector<unsigned char> src(static_cast<size_t>(floatBytes(state)), 1), dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * floatBytes(state));
}

void BM_CopyToBuffer(benchmark::State &state)
{
    int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    int depth = static_cast<int>(state.range(2));
    HostFrame frame(width, height, depth);
    std::vector<float> dest(static_cast<size_t>(width) * height * 4);
    for (auto _ : state) {
        qv::convertHostToFloat(frame.world, depth, width, height, dest.data());
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * floatBytes(state));
}

void BM_WriteTile(benchmark::State &state)
{
    int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    int depth = static_cast<int>(state.range(2));
    HostFrame frame(width, height, depth);
    std::vector<float> readback(static_cast<size_t>(kFbo * kFbo * 4));
    for (size_t i = 0; i < readback.size(); ++i)
        readback[i] = static_cast<float>(i % 1200) / 1000.0f - 0.1f;  /* some outside [0, 1] */
    qv::TileTarget target{&frame.world, depth, width, height};
    int64_t tilesX = (width + kFbo - 1) / kFbo, tilesY = (height + kFbo - 1) / kFbo;
    for (auto _ : state) {
        for (int64_t k = 0; k < tilesX * tilesY; ++k) {
            int64_t x0 = (k % tilesX) * kFbo, y0 = (k / tilesX) * kFbo;
            qv::convertTileToHost(readback.data(), kFbo, target, x0, std::min<int64_t>(x0 + kFbo, width),
                                  y0, std::min<int64_t>(y0 + kFbo, height));
        }
        benchmark::DoNotOptimize(frame.bytes.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * floatBytes(state));
}

void frameSizes(benchmark::internal::Benchmark *b)
{
    for (int depth : {8, 16, 32}) {
        b->Args({1920, 1080, depth});
        b->Args({3840, 2160, depth});
    }
}

} // namespace

BENCHMARK(BM_Memcpy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyToBuffer)->Apply(frameSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTile)->Apply(frameSizes)->Unit(benchmark::kMillisecond);
