#include "engine/pixel_convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QV_PIXELS_SSE2 1
#endif

namespace qv {

namespace {

// The host's full scales: 8-bit channels end at 255, 16-bit ones at 32768.
constexpr int kMax8 = PF_MAX_CHAN8;
constexpr int kMax16 = PF_MAX_CHAN16;
constexpr float kScale8 = float(kMax8);
constexpr float kScale16 = float(kMax16);
constexpr float kInv16 = 1.0f / kScale16;  // exact: a power of two
constexpr float kUnorm16Max = 65535.0f;   // GL's 16-bit normalised full scale

// A pixel row's start, with rowbytes taken as signed (the host's addressing).
inline char *rowStart(const PF_EffectWorld &world, int64_t row)
{
    return reinterpret_cast<char *>(world.data) + static_cast<int64_t>(world.rowbytes) * row;
}

void rowToFloat8Scalar(const uint8_t *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const uint8_t *p = src + 4 * i;  /* alpha, red, green, blue */
        float *q = dst + 4 * i;
        q[0] = p[1] / kScale8;
        q[1] = p[2] / kScale8;
        q[2] = p[3] / kScale8;
        q[3] = p[0] / kScale8;
    }
}

void rowToFloat16Scalar(const uint16_t *src, float *dst, int64_t count)
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

[[maybe_unused]] void rowToFloat32Scalar(const float *src, float *dst, int64_t count)
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

// Colour of float buffers: unclamped, but NaN becomes 0 as it does at 8 and
// 16 bits; it would poison every effect below. Infinities are kept: they are
// ordered values like any other beyond 1.
inline float finiteOrZero(float v)
{
    return v == v ? v : 0.0f;
}

void rowToHost8Scalar(const float *src, uint8_t *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        uint8_t *q = dst + 4 * i;
        q[0] = static_cast<uint8_t>(static_cast<int>(clamp01(p[3]) * kScale8));
        q[1] = static_cast<uint8_t>(static_cast<int>(clamp01(p[0]) * kScale8));
        q[2] = static_cast<uint8_t>(static_cast<int>(clamp01(p[1]) * kScale8));
        q[3] = static_cast<uint8_t>(static_cast<int>(clamp01(p[2]) * kScale8));
    }
}

void rowToHost16Scalar(const float *src, uint16_t *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        uint16_t *q = dst + 4 * i;
        q[0] = static_cast<uint16_t>(static_cast<int>(clamp01(p[3]) * kScale16));
        q[1] = static_cast<uint16_t>(static_cast<int>(clamp01(p[0]) * kScale16));
        q[2] = static_cast<uint16_t>(static_cast<int>(clamp01(p[1]) * kScale16));
        q[3] = static_cast<uint16_t>(static_cast<int>(clamp01(p[2]) * kScale16));
    }
}

[[maybe_unused]] void rowToHost32Scalar(const float *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        const float *p = src + 4 * i;
        float *q = dst + 4 * i;
        q[0] = clamp01(p[3]);
        q[1] = finiteOrZero(p[0]);
        q[2] = finiteOrZero(p[1]);
        q[3] = finiteOrZero(p[2]);
    }
}

#ifdef QV_PIXELS_SSE2
// The same rules four lanes at a time, with the same single-precision
// operations, so the results are bit for bit those of the scalar loops.

inline __m128 argbToRgba(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 3, 2, 1)); }
inline __m128 rgbaToArgb(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(2, 1, 0, 3)); }

// max(v, 0) yields its second operand for NaN, so NaN becomes 0 as in clamp01.
inline __m128 clamp01x4(__m128 v)
{
    return _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(1.0f));
}

void rowToFloat8(const uint8_t *src, float *dst, int64_t count)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128 scale = _mm_set1_ps(kScale8);
    int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 4 * i));
        __m128i lo = _mm_unpacklo_epi8(px, zero), hi = _mm_unpackhi_epi8(px, zero);
        __m128i words[4] = {_mm_unpacklo_epi16(lo, zero), _mm_unpackhi_epi16(lo, zero),
                            _mm_unpacklo_epi16(hi, zero), _mm_unpackhi_epi16(hi, zero)};
        for (int k = 0; k < 4; ++k)
            _mm_storeu_ps(dst + 4 * (i + k), argbToRgba(_mm_div_ps(_mm_cvtepi32_ps(words[k]), scale)));
    }
    rowToFloat8Scalar(src + 4 * i, dst + 4 * i, count - i);
}

void rowToFloat16(const uint16_t *src, float *dst, int64_t count)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128 scale = _mm_set1_ps(kInv16);
    int64_t i = 0;
    for (; i + 2 <= count; i += 2) {
        __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + 4 * i));
        __m128 a = _mm_cvtepi32_ps(_mm_unpacklo_epi16(px, zero));
        __m128 b = _mm_cvtepi32_ps(_mm_unpackhi_epi16(px, zero));
        _mm_storeu_ps(dst + 4 * i, argbToRgba(_mm_mul_ps(a, scale)));
        _mm_storeu_ps(dst + 4 * i + 4, argbToRgba(_mm_mul_ps(b, scale)));
    }
    rowToFloat16Scalar(src + 4 * i, dst + 4 * i, count - i);
}

void rowToFloat32(const float *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i)
        _mm_storeu_ps(dst + 4 * i, argbToRgba(_mm_loadu_ps(src + 4 * i)));
}

// Clamped, scaled and truncated: four pixels' channels as 32-bit integers.
inline __m128i toInt(const float *src, __m128 scale)
{
    return _mm_cvttps_epi32(_mm_mul_ps(clamp01x4(rgbaToArgb(_mm_loadu_ps(src))), scale));
}

void rowToHost8(const float *src, uint8_t *dst, int64_t count)
{
    const __m128 scale = _mm_set1_ps(kScale8);
    int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const float *p = src + 4 * i;
        __m128i a = _mm_packs_epi32(toInt(p, scale), toInt(p + 4, scale));
        __m128i b = _mm_packs_epi32(toInt(p + 8, scale), toInt(p + 12, scale));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 4 * i), _mm_packus_epi16(a, b));
    }
    rowToHost8Scalar(src + 4 * i, dst + 4 * i, count - i);
}

void rowToHost16(const float *src, uint16_t *dst, int64_t count)
{
    const __m128 scale = _mm_set1_ps(kScale16);
    const __m128i bias = _mm_set1_epi32(kMax16);   /* 0..32768 moved into signed 16-bit range */
    const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
    int64_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const float *p = src + 4 * i;
        __m128i a = _mm_sub_epi32(toInt(p, scale), bias), b = _mm_sub_epi32(toInt(p + 4, scale), bias);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 4 * i), _mm_xor_si128(_mm_packs_epi32(a, b), flip));
    }
    rowToHost16Scalar(src + 4 * i, dst + 4 * i, count - i);
}

void rowToHost32(const float *src, float *dst, int64_t count)
{
    for (int64_t i = 0; i < count; ++i) {
        __m128 v = rgbaToArgb(_mm_loadu_ps(src + 4 * i));
        __m128 colour = _mm_and_ps(v, _mm_cmpord_ps(v, v));  /* NaN lanes to 0 */
        _mm_storeu_ps(dst + 4 * i, _mm_move_ss(colour, clamp01x4(v)));
    }
}

#else

void rowToFloat8(const uint8_t *src, float *dst, int64_t count) { rowToFloat8Scalar(src, dst, count); }
void rowToFloat16(const uint16_t *src, float *dst, int64_t count) { rowToFloat16Scalar(src, dst, count); }
void rowToFloat32(const float *src, float *dst, int64_t count) { rowToFloat32Scalar(src, dst, count); }
void rowToHost8(const float *src, uint8_t *dst, int64_t count) { rowToHost8Scalar(src, dst, count); }
void rowToHost16(const float *src, uint16_t *dst, int64_t count) { rowToHost16Scalar(src, dst, count); }
void rowToHost32(const float *src, float *dst, int64_t count) { rowToHost32Scalar(src, dst, count); }

#endif

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

void convertHost16ToUnorm16(const PF_EffectWorld &world, int64_t cols, int64_t rows, uint16_t *dest)
{
    /* every value up to full scale, rounded to nearest even as GL stores a float; above it clamps */
    static const std::array<uint16_t, kMax16 + 1> table = [] {
        std::array<uint16_t, kMax16 + 1> values{};
        for (int v = 0; v <= kMax16; ++v)
            values[v] = static_cast<uint16_t>(std::lrintf(static_cast<float>(v) * kInv16 * kUnorm16Max));
        return values;
    }();
    for (int64_t r = 0; r < rows; ++r) {
        const uint16_t *src = reinterpret_cast<const uint16_t *>(rowStart(world, rows - 1 - r));
        uint16_t *out = dest + r * cols * 4;
        for (int64_t i = 0; i < cols * 4; ++i)
            out[i] = src[i] <= kMax16 ? table[src[i]] : uint16_t(kUnorm16Max);
    }
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
