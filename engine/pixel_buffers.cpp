// The engine's side of pixel conversion, the staging buffer and
// outBufferLayer, its private copy of the output for passes that read it.
#include "engine/glsl_core.h"

#include "engine/engine_faults.h"
#include "engine/pixel_convert.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qv {

using Lock = std::lock_guard<std::recursive_mutex>;

void GLSLCore::copyToBuffer(const PF_EffectWorld *world, float *dest)
{
    Lock lock(engineMutex());
    int64_t cols = 0, rows = 0;
    if (world && ctx) {
        cols = static_cast<int64_t>(std::min<double>(world->width, static_cast<double>(ctx->width)));
        rows = static_cast<int64_t>(std::min<double>(world->height, static_cast<double>(ctx->height)));
        if (cols <= 0 || rows <= 0)
            return;  /* an empty region converts nothing, whatever the pointers */
    }
    if (!world || !dest || !world->data || !ctx) {
        queueError("QUORVEL::INNER_ERROR:\nNull pointer while calling copyToBuffer.");
        return;
    }
    convertHostToFloat(*world, ctx->depth, cols, rows, dest);
}

void GLSLCore::writeTile(const float *readback, int64_t x0, int64_t x1, int64_t y0, int64_t y1)
{
    Lock lock(engineMutex());
    if (!ctx || !readback)
        return;
    PF_EffectWorld *target = ctx->useOutputAsInput ? outBufferLayer : ctx->outputWorld;
    if (!target)
        return;
    convertTileToHost(readback, fboWidth, TileTarget{target, ctx->depth, ctx->width, ctx->height},
                      x0, x1, y0, y1);
}

int GLSLCore::ensureStaging(uint64_t bytes)
{
    Lock lock(engineMutex());
    if (stagingCapacity >= bytes)
        return 0;
    std::free(stagingBuffer);
    stagingBuffer = nullptr;
    stagingCapacity = 0;  /* raised only once the block exists: a failure keeps nothing claimed */
    if (engineFault(EngineFault::StagingAlloc) || bytes > SIZE_MAX)
        return -1;
    stagingBuffer = static_cast<float *>(std::malloc(static_cast<size_t>(bytes)));
    if (!stagingBuffer)
        return -1;
    stagingCapacity = bytes;
    return 0;
}

void GLSLCore::prepareOutBufferLayer()
{
    Lock lock(engineMutex());
    const PF_EffectWorld &out = *ctx->outputWorld;
    int64_t width = std::max<int64_t>(out.width, 0);
    int64_t height = std::max<int64_t>(out.height, 0);
    uint64_t need = static_cast<uint64_t>(ctx->bytesPerPixel > 0 ? ctx->bytesPerPixel : 0) *
                    static_cast<uint64_t>(height) * static_cast<uint64_t>(width);  /* 64-bit: no overflow */
    if (ensureStaging(need) != 0) {
        queueError("Failed on initializing outBufferLayer(data).\n");
        return;
    }
    *outBufferLayer = out;
    outBufferLayer->data = reinterpret_cast<PF_PixelPtr>(stagingBuffer);
    outBufferLayer->rowbytes = static_cast<A_long>(width * ctx->bytesPerPixel);
}

void GLSLCore::commitOutBufferLayer()
{
    Lock lock(engineMutex());
    PF_EffectWorld &out = *ctx->outputWorld;
    if (!out.data || !outBufferLayer->data)
        return;
    int64_t rows = std::min<int64_t>(ctx->height, out.height);
    size_t rowBytes = static_cast<size_t>(std::max<A_long>(outBufferLayer->rowbytes, 0));
    const char *src = reinterpret_cast<const char *>(outBufferLayer->data);
    char *dst = reinterpret_cast<char *>(out.data);
    for (int64_t row = 0; row < rows; ++row)
        std::memcpy(dst + static_cast<int64_t>(out.rowbytes) * row,
                    src + static_cast<int64_t>(outBufferLayer->rowbytes) * row, rowBytes);
}

} // namespace qv
