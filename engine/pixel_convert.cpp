#include "engine/pixel_convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qv {

namespace {

constexpr float kInv16 = 3.0517578e-5f;  // 1/32768, exact in single precision

// A pixel row's start, with rowbytes taken as signed (Part 2.1's addressing).
inline char *rowStart(const PF_EffectWorld &world, int64_t row)
{
    return reinterpret_cast<char *>(world.data) + static_cast<int64_t>(world.rowbytes) * row;
}

void rowToFloat8(const uint8_t *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t *p = src + 4 * i;  /* alpha, red, green, blue */
        float *q = dst + 4 * i;
        q[0] = p[1] / 255.0f;
        q[1] = p[2] / 255.0f;
        q[2] = p[3] / 255.0f;
        q[3] = p[0] / 255.0f;
    }
}

void rowToFloat16(const uint16_t *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const uint16_t *p = src + 4 * i;
        float *q = dst + 4 * i;
        q[0] = p[1] * kInv16;
        q[1] = p[2] * kInv16;
        q[2] = p[3] * kInv16;
        q[3] = p[0] * kInv16;
    }
}

void rowToFloat32(const float *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        float *q = dst + 4 * i;
        q[0] = p[1];
        q[1] = p[2];
        q[2] = p[3];
        q[3] = p[0];
    }
}

// Clamp to [0, 1] with NaN going to 0: the first comparison fails for NaN.
inline float clamp01(float v)
{
    v = v > 0.0f ? v : 0.0f;
    return v < 1.0f ? v : 1.0f;
}

// Alpha of float buffers: clamped, but NaN survives (both comparisons fail).
inline float clampAlpha(float v)
{
    return v > 1.0f ? 1.0f : (v < 0.0f ? 0.0f : v);
}

void rowToHost8(const float *src, uint8_t *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        uint8_t *q = dst + 4 * i;
        q[0] = static_cast<uint8_t>(static_cast<int>(clamp01(p[3]) * 255.0f));
        q[1] = static_cast<uint8_t>(static_cast<int>(clamp01(p[0]) * 255.0f));
        q[2] = static_cast<uint8_t>(static_cast<int>(clamp01(p[1]) * 255.0f));
        q[3] = static_cast<uint8_t>(static_cast<int>(clamp01(p[2]) * 255.0f));
    }
}

void rowToHost16(const float *src, uint16_t *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        uint16_t *q = dst + 4 * i;
        q[0] = static_cast<uint16_t>(static_cast<int>(clamp01(p[3]) * 32768.0f));
        q[1] = static_cast<uint16_t>(static_cast<int>(clamp01(p[0]) * 32768.0f));
        q[2] = static_cast<uint16_t>(static_cast<int>(clamp01(p[1]) * 32768.0f));
        q[3] = static_cast<uint16_t>(static_cast<int>(clamp01(p[2]) * 32768.0f));
    }
}

void rowToHost32(const float *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        float *q = dst + 4 * i;
        q[0] = clampAlpha(p[3]);
        q[1] = p[0];
        q[2] = p[1];
        q[3] = p[2];
    }
}

void rowToFloat(const char *src, float *dst, int64_t count, int depth)
{
    switch (depth) {
    case 8: rowToFloat8(reinterpret_cast<const uint8_t *>(src), dst, count); break;
    case 16: rowToFloat16(reinterpret_cast<const uint16_t *>(src), dst, count); break;
    case 32: rowToFloat32(reinterpret_cast<const float *>(src), dst, count); break;
    default: std::memset(dst, 0, static_cast<size_t>(count) * 16); break;
    }
}

void rowToHost(const float *src, char *dst, int64_t count, int depth)
{
    switch (depth) {
    case 8: rowToHost8(src, reinterpret_cast<uint8_t *>(dst), count); break;
    case 16: rowToHost16(src, reinterpret_cast<uint16_t *>(dst), count); break;
    case 32: rowToHost32(src, reinterpret_cast<float *>(dst), count); break;
    default: break;  /* any other depth: nothing is written */
    }
}

} // namespace

void convertHostToFloat(const PF_EffectWorld &world, int depth, int64_t cols, int64_t rows,
                        float *dest)
{
    for (int64_t r = 0; r < rows; ++r)  /* float row 0 is the lowest used host row */
        rowToFloat(rowStart(world, rows - 1 - r), dest + r * cols * 4, cols, depth);
}

void convertTileToHost(const float *readback, int64_t fboWidth, const TileTarget &target,
                       int64_t x0, int64_t x1, int64_t y0, int64_t y1)
{
    const PF_EffectWorld &t = *target.world;
    int64_t xEnd = std::min<int64_t>(t.width, x1);
    int64_t yEnd = std::min<int64_t>(t.height, y1);
    int64_t xBegin = std::max<int64_t>(x0, 0);  /* pixels outside the frame are skipped */
    int64_t xLast = std::min(xEnd, target.frameWidth);
    if (!t.data || xBegin >= xLast)
        return;
    int bytesPerPixel = target.depth / 2;
    for (int64_t y = y0; y < yEnd; ++y) {
        int64_t tr = static_cast<int64_t>(t.height) - 1 - y;
        if (tr < 0 || tr >= target.frameHeight)
            continue;
        const float *src = readback + ((y - y0) * fboWidth + (xBegin - x0)) * 4;
        char *dst = rowStart(t, tr) + bytesPerPixel * xBegin;
        rowToHost(src, dst, xLast - xBegin, target.depth);
    }
}

} // namespace qv
