// The conversions between host pixels and engine floats: no GL.
#include "engine/pixel_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A host buffer of one depth with padded rows; rowbytes may be negative
// (bottom-up memory), as the signed addressing allows.
template <typename T>
struct Buffer {
    Buffer(int width, int height, int padding = 8, bool bottomUp = false)
        : stride(width * 4 * static_cast<int>(sizeof(T)) + padding),
          bytes(static_cast<size_t>(stride) * height, 0xAB)
    {
        world.width = width;
        world.height = height;
        world.rowbytes = bottomUp ? -stride : stride;
        char *first = reinterpret_cast<char *>(bytes.data()) + (bottomUp ? stride * (height - 1) : 0);
        world.data = reinterpret_cast<PF_PixelPtr>(first);
    }
    T *pixel(int x, int y)
    {
        return reinterpret_cast<T *>(reinterpret_cast<char *>(world.data) +
                                     static_cast<ptrdiff_t>(world.rowbytes) * y) + 4 * x;
    }
    void set(int x, int y, T a, T r, T g, T b)
    {
        T *p = pixel(x, y);
        p[0] = a, p[1] = r, p[2] = g, p[3] = b;
    }
    int stride;
    std::vector<unsigned char> bytes;
    PF_EffectWorld world{};
};

// Writes one float pixel into a 1 x 1 target and returns the host pixel.
template <typename T>
std::vector<double> writeOne(int depth, float r, float g, float b, float a)
{
    Buffer<T> out(1, 1);
    const float readback[4] = {r, g, b, a};
    qv::convertTileToHost(readback, 1, qv::TileTarget{&out.world, depth, 1, 1}, 0, 1, 0, 1);
    T *p = out.pixel(0, 0);
    return {static_cast<double>(p[0]), static_cast<double>(p[1]), static_cast<double>(p[2]),
            static_cast<double>(p[3])};
}

template <typename T>
std::vector<float> readOne(int depth, T a, T r, T g, T b)
{
    Buffer<T> in(1, 1);
    in.set(0, 0, a, r, g, b);
    std::vector<float> out(4);
    qv::convertHostToFloat(in.world, depth, 1, 1, out.data());
    return out;
}

TEST(PixelConvert, EightBitFullScaleAndTruncation)
{
    EXPECT_EQ(readOne<uint8_t>(8, 255, 255, 0, 128), (std::vector<float>{1.0f, 0.0f, 128 / 255.0f, 1.0f}));
    EXPECT_EQ(writeOne<uint8_t>(8, 1.0f, 0.999f, 0.5f, 1.0f), (std::vector<double>{255, 255, 254, 127}));
}

TEST(PixelConvert, EveryEightBitValueSurvivesTheRoundTrip)
{
    for (int v = 0; v < 256; ++v) {
        std::vector<float> f = readOne<uint8_t>(8, 255, static_cast<uint8_t>(v), 0, 0);
        EXPECT_EQ(f[0], static_cast<float>(v) / 255.0f);
        EXPECT_EQ(writeOne<uint8_t>(8, f[0], 0, 0, 1)[1], v) << v;
    }
}

TEST(PixelConvert, EverySixteenBitValueSurvivesTheRoundTrip)
{
    for (int v = 0; v <= 32768; ++v) {
        std::vector<float> f = readOne<uint16_t>(16, 0, static_cast<uint16_t>(v), 0, 0);
        ASSERT_EQ(f[0], static_cast<float>(v) * 3.0517578e-5f);
        ASSERT_EQ(writeOne<uint16_t>(16, f[0], 0, 0, 1)[1], v) << v;
    }
}

TEST(PixelConvert, SixteenBitFullScaleIs32768)
{
    EXPECT_EQ(readOne<uint16_t>(16, 32768, 32768, 16384, 0)[3], 1.0f);
    EXPECT_EQ(readOne<uint16_t>(16, 32768, 32768, 16384, 0)[1], 0.5f);
    EXPECT_EQ(writeOne<uint16_t>(16, 1.0f, 1.2f, -0.5f, 1.0f), (std::vector<double>{32768, 32768, 32768, 0}));
}

TEST(PixelConvert, FloatColourIsUnclampedAlphaIsClamped)
{
    EXPECT_EQ(writeOne<float>(32, -0.5f, 3.0f, 0.25f, 1.5f), (std::vector<double>{1.0, -0.5, 3.0, 0.25}));
    EXPECT_EQ(writeOne<float>(32, 0, 0, 0, -0.2f)[0], 0.0);
    EXPECT_EQ(readOne<float>(32, 2.0f, -1.0f, 5.0f, 0.5f), (std::vector<float>{-1.0f, 5.0f, 0.5f, 2.0f}));
}

TEST(PixelConvert, NaNIsZeroAtEveryDepthAndFloatsKeepInfinities)
{
    EXPECT_EQ(writeOne<uint8_t>(8, kNaN, kInf, -kInf, kNaN), (std::vector<double>{0, 0, 255, 0}));
    EXPECT_EQ(writeOne<uint16_t>(16, kNaN, kInf, -kInf, kInf), (std::vector<double>{32768, 0, 32768, 0}));
    std::vector<double> f = writeOne<float>(32, kNaN, kInf, -kInf, kNaN);
    EXPECT_EQ(f[0], 0.0) << "alpha";
    EXPECT_EQ(f[1], 0.0);
    EXPECT_EQ(f[2], kInf);
    EXPECT_EQ(f[3], -kInf);
    EXPECT_EQ(writeOne<float>(32, 0, 0, 0, kInf)[0], 1.0);
}

TEST(PixelConvert, LowestUsedHostRowBecomesFloatRowZero)
{
    Buffer<uint8_t> in(3, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x)
            in.set(x, y, 255, static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0);
    std::vector<float> out(2 * 3 * 4);  /* top-left 2 x 3 region */
    qv::convertHostToFloat(in.world, 8, 2, 3, out.data());
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c) {
            EXPECT_EQ(out[(r * 2 + c) * 4 + 0], c / 255.0f);
            EXPECT_EQ(out[(r * 2 + c) * 4 + 1], (2 - r) / 255.0f) << "row " << r;
        }
}

TEST(PixelConvert, NegativeRowbytesAddressesRowsUpwards)
{
    Buffer<uint16_t> in(2, 3, 16, true);
    for (int y = 0; y < 3; ++y)
        in.set(0, y, 32768, static_cast<uint16_t>(1000 * y), 0, 0);
    std::vector<float> out(2 * 3 * 4);
    qv::convertHostToFloat(in.world, 16, 2, 3, out.data());
    EXPECT_EQ(out[0], 2000 * 3.0517578e-5f);  /* float row 0 is host row 2 */
    EXPECT_EQ(out[2 * 2 * 4], 0.0f);
}

TEST(PixelConvert, UnknownDepthReadsZeros)
{
    EXPECT_EQ(readOne<uint8_t>(12, 255, 255, 255, 255), (std::vector<float>{0, 0, 0, 0}));
}

TEST(PixelConvert, UnknownDepthWritesNothing)
{
    Buffer<uint8_t> out(1, 1);
    std::vector<unsigned char> before = out.bytes;
    const float readback[4] = {1, 1, 1, 1};
    qv::convertTileToHost(readback, 1, qv::TileTarget{&out.world, 24, 1, 1}, 0, 1, 0, 1);
    EXPECT_EQ(out.bytes, before);
}

// A 4 x 3 read-back (fboWidth 4) holding frame pixels from (x0, y0) = (2, 1),
// written into a 5 x 3 target: frame row y goes to host row 2 - y, columns
// past the target and rows past the frame are skipped, padding is untouched.
TEST(PixelConvert, TileLandsAtItsFramePosition)
{
    Buffer<float> out(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            out.set(x, y, -1, -1, -1, -1);
    std::vector<float> readback(4 * 3 * 4);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i) {
            float *p = &readback[(j * 4 + i) * 4];
            p[0] = static_cast<float>(2 + i);  /* frame x */
            p[1] = static_cast<float>(1 + j);  /* frame y */
            p[2] = 0;
            p[3] = 1;
        }
    std::vector<unsigned char> padding(out.bytes.begin() + 80, out.bytes.begin() + out.stride);
    qv::convertTileToHost(readback.data(), 4, qv::TileTarget{&out.world, 32, 5, 3}, 2, 6, 1, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            int frameY = 2 - y;
            bool written = x >= 2 && frameY >= 1;
            EXPECT_EQ(out.pixel(x, y)[1], written ? x : -1) << x << "," << y;
            EXPECT_EQ(out.pixel(x, y)[2], written ? frameY : -1) << x << "," << y;
        }
    EXPECT_EQ(std::vector<unsigned char>(out.bytes.begin() + 80, out.bytes.begin() + out.stride), padding);
}

TEST(PixelConvert, PixelsOutsideTheFrameSizeAreSkipped)
{
    Buffer<uint8_t> out(4, 4);
    std::vector<unsigned char> before = out.bytes;
    std::vector<float> readback(4 * 4 * 4, 1.0f);
    /* frame limits 2 x 2: only frame rows 0..1 that map to host rows < 2 qualify */
    qv::convertTileToHost(readback.data(), 4, qv::TileTarget{&out.world, 8, 2, 2}, 0, 4, 0, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            bool written = x < 2 && y < 2;  /* host rows 0, 1 are frame rows 3, 2 */
            EXPECT_EQ(out.pixel(x, y)[0], written ? 255 : 0xAB) << x << "," << y;
        }
}

TEST(PixelConvert, NullTargetMemoryWritesNothing)
{
    PF_EffectWorld world{};
    world.width = world.height = 4;
    float readback[4] = {1, 1, 1, 1};
    /* a write through the null pointer would end the child with a signal; the
       child is a fresh run of this program, as forking with threads may hang */
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qv::convertTileToHost(readback, 1, qv::TileTarget{&world, 8, 4, 4}, 0, 1, 0, 1);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace

namespace {

// Whole rows go through the wide loops and single pixels through the plain
// ones: both must give the same bits for every kind of value.
std::vector<float> awkwardFloats(size_t count)
{
    const float specials[] = {kNaN, kInf, -kInf, 0.0f, -0.0f, 1.0f, 0.999f, 0.5f, 1.2f, -0.5f,
                              1.0f / 255, 254.5f / 255, 32767.5f / 32768, 1e-30f, 3e38f};
    std::vector<float> values(count);
    for (size_t i = 0; i < count; ++i)
        values[i] = i % 3 == 0 ? specials[(i / 3) % (sizeof specials / sizeof *specials)]
                               : static_cast<float>((i * 7919) % 2001) / 1500.0f - 0.2f;
    return values;
}

template <typename T>
void expectWideRowsMatchSinglePixels(int depth)
{
    constexpr int kWidth = 1003;  /* not a multiple of the lane count */
    std::vector<float> readback = awkwardFloats(kWidth * 4);
    Buffer<T> wide(kWidth, 1), single(kWidth, 1);
    qv::convertTileToHost(readback.data(), kWidth, qv::TileTarget{&wide.world, depth, kWidth, 1}, 0, kWidth, 0, 1);
    for (int x = 0; x < kWidth; ++x)
        qv::convertTileToHost(readback.data() + 4 * x, 1, qv::TileTarget{&single.world, depth, kWidth, 1},
                              x, x + 1, 0, 1);
    ASSERT_EQ(wide.bytes, single.bytes) << "writeTile at " << depth << " bits";

    std::vector<float> back(kWidth * 4), backSingle(kWidth * 4);
    qv::convertHostToFloat(wide.world, depth, kWidth, 1, back.data());
    for (int x = 0; x < kWidth; ++x) {
        PF_EffectWorld one = wide.world;
        one.data = reinterpret_cast<PF_PixelPtr>(wide.pixel(x, 0));
        qv::convertHostToFloat(one, depth, 1, 1, backSingle.data() + 4 * x);
    }
    ASSERT_EQ(std::memcmp(back.data(), backSingle.data(), back.size() * sizeof(float)), 0)
        << "copyToBuffer at " << depth << " bits";
}

TEST(PixelConvert, WideRowsMatchSinglePixelsAt8Bits) { expectWideRowsMatchSinglePixels<uint8_t>(8); }
TEST(PixelConvert, WideRowsMatchSinglePixelsAt16Bits) { expectWideRowsMatchSinglePixels<uint16_t>(16); }

// At 32 bits the wide loops are the only ones, so they are held to the rules
// written out plainly here: channels reordered, NaN written as 0, alpha alone
// clamped to [0, 1] (+0 for -0), other colour values passed bit for bit.
float referenceColor(float v) { return std::isnan(v) ? 0.0f : v; }
float referenceAlpha(float v) { return v > 1.0f ? 1.0f : (v > 0.0f ? v : 0.0f); }  /* NaN and -0 give +0 */

TEST(PixelConvert, ThirtyTwoBitsFollowTheRulesBitForBit)
{
    constexpr int kWidth = 67;
    std::vector<float> readback = awkwardFloats(kWidth * 4);
    Buffer<float> out(kWidth, 1);
    qv::convertTileToHost(readback.data(), kWidth, qv::TileTarget{&out.world, 32, kWidth, 1}, 0, kWidth, 0, 1);
    for (int x = 0; x < kWidth; ++x) {
        const float *rgba = &readback[4 * x];
        const float expected[4] = {referenceAlpha(rgba[3]), referenceColor(rgba[0]), referenceColor(rgba[1]),
                                   referenceColor(rgba[2])};
        EXPECT_EQ(std::memcmp(out.pixel(x, 0), expected, sizeof expected), 0) << "writeTile, pixel " << x;
    }

    std::vector<float> back(kWidth * 4);
    qv::convertHostToFloat(out.world, 32, kWidth, 1, back.data());
    for (int x = 0; x < kWidth; ++x) {
        const float *argb = out.pixel(x, 0);
        const float expected[4] = {argb[1], argb[2], argb[3], argb[0]};
        EXPECT_EQ(std::memcmp(&back[4 * x], expected, sizeof expected), 0) << "copyToBuffer, pixel " << x;
    }
}

TEST(PixelConvert, WideRowsFollowTheRules)
{
    std::vector<float> readback = awkwardFloats(64 * 4);
    Buffer<uint16_t> out(64, 1);
    qv::convertTileToHost(readback.data(), 64, qv::TileTarget{&out.world, 16, 64, 1}, 0, 64, 0, 1);
    for (int x = 0; x < 64; ++x)
        for (int c = 0; c < 4; ++c) {
            float v = readback[4 * x + (c + 3) % 4];  /* host ARGB from float RGBA */
            float clamped = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
            EXPECT_EQ(out.pixel(x, 0)[c], static_cast<int>(clamped * 32768.0f)) << x << "," << c;
        }
}

} // namespace
