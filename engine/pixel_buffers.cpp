#include "engine/pixel_buffers.h"

#include "engine/engine_faults.h"
#include "engine/engine_messages.h"
#include "engine/fault_seam.h"
#include "engine/pixel_convert.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace qv {

namespace {

// The frame-clipped region of `world` that becomes a texture, or false after
// queuing the null-pointer message; an empty region is true with no pixels.
bool usedRegion(EngineState &s, const PF_EffectWorld *world, const void *dest, int64_t &cols, int64_t &rows)
{
    cols = rows = 0;
    const PassFrame *ctx = s.ctx;
    if (world && ctx) {
        cols = static_cast<int64_t>(std::min<double>(world->width, static_cast<double>(ctx->width)));
        rows = static_cast<int64_t>(std::min<double>(world->height, static_cast<double>(ctx->height)));
        if (cols <= 0 || rows <= 0) {
            cols = rows = 0;
            return true;  /* an empty region converts nothing, whatever the pointers */
        }
    }
    if (!world || !dest || !world->data || !ctx) {
        queueError(s, msg::kCopyNullPointer);
        return false;
    }
    return true;
}

} // namespace

void copyToBuffer(EngineState &s, const PF_EffectWorld *world, float *dest)
{
    int64_t cols, rows;
    if (usedRegion(s, world, dest, cols, rows) && cols > 0)
        convertHostToFloat(*world, s.ctx->depth, cols, rows, dest);
}

bool uploadsNative(int depth)
{
    return depth == 8 || depth == 16 || depth == 32;
}

void copyToTexels(EngineState &s, const PF_EffectWorld *world, void *dest)
{
    int64_t cols, rows;
    if (!usedRegion(s, world, dest, cols, rows) || cols == 0)
        return;
    if (s.ctx->depth == 16) {
        convertHost16ToUnorm16(*world, cols, rows, static_cast<uint16_t *>(dest));
        return;
    }
    size_t rowBytes = static_cast<size_t>(cols) * static_cast<size_t>(s.ctx->depth / 2);
    const char *top = reinterpret_cast<const char *>(world->data);
    char *out = static_cast<char *>(dest);
    for (int64_t r = 0; r < rows; ++r)  /* texel row 0 is the lowest used host row */
        std::memcpy(out + static_cast<size_t>(r) * rowBytes,
                    top + static_cast<int64_t>(world->rowbytes) * (rows - 1 - r), rowBytes);
}

void writeTile(EngineState &s, const float *readback, int64_t x0, int64_t x1, int64_t y0, int64_t y1)
{
    const PassFrame *ctx = s.ctx;
    if (!ctx || !readback)
        return;
    PF_EffectWorld *target = ctx->useOutputAsInput ? s.outBufferLayer : ctx->outputWorld;
    if (!target)
        return;
    convertTileToHost(readback, s.fboWidth, TileTarget{target, ctx->depth, ctx->width, ctx->height},
                      x0, x1, y0, y1);
}

int ensureStaging(EngineState &s, uint64_t bytes)
{
    if (s.stagingCapacity >= bytes)
        return 0;
    std::free(s.stagingBuffer);
    s.stagingBuffer = nullptr;
    s.stagingCapacity = 0;  /* raised only once the block exists: a failure keeps nothing claimed */
    if (bytes > SIZE_MAX)
        return -1;
    s.stagingBuffer = static_cast<float *>(seamAllocate(EngineFault::StagingAlloc, static_cast<size_t>(bytes)));
    if (!s.stagingBuffer)
        return -1;
    s.stagingCapacity = bytes;
    return 0;
}

bool ensureReadback(EngineState &s)
{
    if (s.readbackBuffer)
        return true;
    size_t bytes = static_cast<size_t>(s.fboWidth) * static_cast<size_t>(s.fboHeight) * 16;
    s.readbackBuffer = static_cast<float *>(seamAllocate(EngineFault::ReadbackAlloc, bytes));
    if (!s.readbackBuffer)
        queueError(s, msg::kMemoryNotEnough);
    return s.readbackBuffer != nullptr;
}

void prepareOutBufferLayer(EngineState &s)
{
    const PassFrame &ctx = *s.ctx;
    const PF_EffectWorld &out = *ctx.outputWorld;
    int64_t width = std::max<int64_t>(out.width, 0);
    int64_t height = std::max<int64_t>(out.height, 0);
    uint64_t need = static_cast<uint64_t>(ctx.bytesPerPixel > 0 ? ctx.bytesPerPixel : 0) *
                    static_cast<uint64_t>(height) * static_cast<uint64_t>(width);  /* 64-bit: no overflow */
    if (ensureStaging(s, need) != 0) {
        queueError(s, msg::kOutBufferLayerData);
        return;
    }
    *s.outBufferLayer = out;
    s.outBufferLayer->data = reinterpret_cast<PF_PixelPtr>(s.stagingBuffer);
    s.outBufferLayer->rowbytes = static_cast<A_long>(width * ctx.bytesPerPixel);
}

void commitOutBufferLayer(EngineState &s)
{
    PF_EffectWorld &out = *s.ctx->outputWorld;
    const PF_EffectWorld &copy = *s.outBufferLayer;
    if (!out.data || !copy.data)
        return;
    int64_t rows = std::min<int64_t>(s.ctx->height, out.height);
    size_t rowBytes = static_cast<size_t>(std::max<A_long>(copy.rowbytes, 0));
    const char *src = reinterpret_cast<const char *>(copy.data);
    char *dst = reinterpret_cast<char *>(out.data);
    for (int64_t row = 0; row < rows; ++row)
        std::memcpy(dst + static_cast<int64_t>(out.rowbytes) * row,
                    src + static_cast<int64_t>(copy.rowbytes) * row, rowBytes);
}

} // namespace qv
