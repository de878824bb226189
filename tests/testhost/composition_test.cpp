// The simulator's compositions, image files and AEGP layer, comp and effect
// calls: what the SmartFX tests build on.
#include "common/declared_tiff.h"
#include "common/host_fixture.h"
#include "testhost/images/composition.h"
#include "testhost/images/image_io.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

using qvh::Image;
using qvh::World;

TEST(World, RowsArePaddedAndPixelsAreAlphaRedGreenBlue)
{
    const struct { int depth; A_long bpp; } cases[] = {{8, 4}, {16, 8}, {32, 16}};
    for (auto c : cases) {
        World w(5, 3, c.depth, 12);
        EXPECT_EQ(w.pf().rowbytes, 5 * c.bpp + 12) << c.depth;
        EXPECT_EQ(w.pixelAddress(2, 1) - w.pixelAddress(0, 0), w.pf().rowbytes + 2 * c.bpp) << c.depth;
        const float rgba[4] = {1.0f, 0.5f, 0.0f, 1.0f};
        w.write(2, 1, rgba);
        float back[4];
        w.read(2, 1, back);
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR(back[i], rgba[i], 1.0f / 255) << c.depth;
    }
    World w8(1, 1, 8);
    const float red[4] = {1, 0, 0, 0.5f};
    w8.write(0, 0, red);
    const unsigned char *p = w8.pixelAddress(0, 0);
    EXPECT_EQ(p[0], 128);  /* alpha first */
    EXPECT_EQ(p[1], 255);
    World w16(1, 1, 16);
    w16.write(0, 0, red);
    EXPECT_EQ(reinterpret_cast<const uint16_t *>(w16.pixelAddress(0, 0))[1], 32768);
}

TEST(World, FromImageKeepsOriginAndPaddingApart)
{
    Image image = qvh::testPattern(16, 8);
    auto world = World::fromImage(image, 16, 8);
    EXPECT_EQ(world->pf().rowbytes, 16 * 8 + 8);
    Image back = world->toImage();
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        ASSERT_NEAR(back.rgba[i], image.rgba[i], 1.0f / 32768) << i;
}

TEST(TestPattern, IsOpaqueBarsOverARamp)
{
    Image p = qvh::testPattern(80, 20);
    EXPECT_FLOAT_EQ(p.pixel(0, 0)[0], 0.75f);
    EXPECT_FLOAT_EQ(p.pixel(79, 0)[0], 0.0f);
    EXPECT_FLOAT_EQ(p.pixel(0, 19)[1], 0.0f);
    EXPECT_FLOAT_EQ(p.pixel(79, 19)[2], 1.0f);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(p.pixel(x, y)[3], 1.0f);
}

class ImageFiles : public ::testing::Test {
protected:
    std::string path(const char *name) { return dir_ + "/" + name; }
    void SetUp() override
    {
        char t[] = "/tmp/qv-images-XXXXXX";
        dir_ = ::mkdtemp(t);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
    std::string dir_;
};

TEST_F(ImageFiles, PngRoundTripsAtEightAndSixteenBits)
{
    Image image(7, 5);
    for (std::size_t i = 0; i < image.rgba.size(); ++i)
        image.rgba[i] = static_cast<float>(i % 256) / 255.0f;
    for (int bits : {8, 16}) {
        qvh::writeImage(path("a.png"), image, bits);
        Image back = qvh::readImage(path("a.png"));
        ASSERT_EQ(back.width, 7);
        ASSERT_EQ(back.height, 5);
        for (std::size_t i = 0; i < image.rgba.size(); ++i)
            ASSERT_NEAR(back.rgba[i], image.rgba[i], bits == 8 ? 1e-6 : 1.0 / 65535) << bits;
    }
}

TEST_F(ImageFiles, SixteenBitHostValuesSurviveAPng)
{
    World w(33, 1, 16);
    for (int x = 0; x < 33; ++x)
        for (int c = 0; c < 4; ++c)
            reinterpret_cast<uint16_t *>(w.pixelAddress(x, 0))[c] = static_cast<uint16_t>(x * 1024);
    qvh::writeImage(path("w.png"), w.toImage(), 16);
    auto back = World::fromImage(qvh::readImage(path("w.png")), 16);
    for (int x = 0; x < 33; ++x)
        EXPECT_EQ(reinterpret_cast<const uint16_t *>(back->pixelAddress(x, 0))[1], x * 1024);
}

TEST_F(ImageFiles, ExrKeepsFloatsOutsideTheUnitRange)
{
    Image image(3, 2);
    const float values[] = {-0.5f, 3.0f, 1e-7f, 0.25f, std::nanf(""), 1.0f};
    for (int i = 0; i < 6; ++i)
        image.rgba[i * 4] = values[i], image.rgba[i * 4 + 3] = 1.0f;
    qvh::writeImage(path("f.exr"), image, 8);
    Image back = qvh::readImage(path("f.exr"));
    ASSERT_EQ(back.width, 3);
    for (int i = 0; i < 6; ++i) {
        if (std::isnan(values[i]))
            EXPECT_TRUE(std::isnan(back.rgba[i * 4]));
        else
            EXPECT_EQ(back.rgba[i * 4], values[i]);
    }
}

TEST_F(ImageFiles, BadFilesAreNamedInTheError)
{
    EXPECT_THROW(qvh::checkOutputName("out.xyz"), std::runtime_error);
    EXPECT_THROW(qvh::checkOutputName("out"), std::runtime_error);
    EXPECT_NO_THROW(qvh::checkOutputName("OUT.PNG"));
    EXPECT_NO_THROW(qvh::checkOutputName("a.b/frame.exr"));
    try {
        qvh::readImage(path("missing.png"));
        FAIL();
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("missing.png: cannot open"), std::string::npos) << e.what();
    }
    std::FILE *f = std::fopen(path("text.png").c_str(), "w");
    std::fputs("not an image at all", f);
    std::fclose(f);
    EXPECT_THROW(qvh::readImage(path("text.png")), std::runtime_error);
}

// A 68-byte PNG whose header claims 100000x100000 pixels is refused from its
// header, before the pixel memory would be asked for.
TEST_F(ImageFiles, DeclaredSizeIsCheckedBeforeAllocating)
{
    try {
        qvh::readImage(QV_TEST_DATA_DIR "/huge-header.png");
        FAIL();
    } catch (const std::runtime_error &e) {
        EXPECT_NE(std::string(e.what()).find("declares 100000x100000 pixels"), std::string::npos) << e.what();
    }
}

// Channels and bytes count as well as sides: a few hundred bytes of TIFF
// header must not make a read take gigabytes. Every row is within the side
// and pixel limits.
TEST_F(ImageFiles, DecodedBytesAreCheckedBeforeAllocating)
{
    const struct {
        uint32_t width, height;
        uint16_t channels;
        const char *refusal;
    } rows[] = {
        {2048, 2048, 256, "declares 2048x2048 pixels of 256 channels, 5248 MB once decoded"},
        {16384, 16384, 1, "declares 16384x16384 pixels of 1 channel, 9472 MB once decoded"},
        {8192, 8192, 3, "declares 8192x8192 pixels of 3 channels, 3008 MB once decoded"},
    };
    for (const auto &row : rows) {
        declared_tiff::write(path("h.tif"), row.width, row.height, row.channels);
        try {
            qvh::readImage(path("h.tif"));
            ADD_FAILURE() << row.refusal;
        } catch (const std::runtime_error &e) {
            EXPECT_NE(std::string(e.what()).find(row.refusal), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("h.tif: "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("2048 MB of decoded pixels"), std::string::npos) << e.what();
        }
    }
}

// Every output type by extension and depth, written and read back: straight
// (unpremultiplied) colour under a half-transparent alpha comes back as it
// was, within the type's step; half and float keep values outside [0, 1].
TEST_F(ImageFiles, FormatsKeepColourAndAlphaAsTheyAre)
{
    using qvh::SampleType;
    const struct {
        const char *name;
        int depth;
        bool half;
        SampleType expected;
        float step;  // 0: exact
        bool alpha, unbounded;
    } rows[] = {
        {"a.png", 8, false, SampleType::UInt8, 0.5f / 255, true, false},
        {"a.png", 16, false, SampleType::UInt16, 0.5f / 65535, true, false},
        {"a.png", 32, false, SampleType::UInt16, 0.5f / 65535, true, false},
        {"a.tif", 8, false, SampleType::UInt8, 0.5f / 255, true, false},
        {"a.tiff", 16, false, SampleType::UInt16, 0.5f / 65535, true, false},
        {"a.tif", 32, false, SampleType::Float, 0, true, true},
        {"a.exr", 8, false, SampleType::Float, 0, true, true},
        {"a.exr", 32, true, SampleType::Half, 1e-3f, true, true},
        {"a.dpx", 16, false, SampleType::UInt16, 0.5f / 65535, true, false},
        {"a.jpg", 16, false, SampleType::UInt8, 0, false, false},
    };
    Image image(2, 1);
    const float pixels[8] = {0.8f, 0.2f, 0.6f, 0.5f, 1.5f, -0.25f, 0.0f, 0.25f};
    std::copy(pixels, pixels + 8, image.rgba.begin());
    for (const auto &row : rows) {
        SampleType type = qvh::sampleTypeFor(row.name, row.depth, row.half);
        EXPECT_EQ(type, row.expected) << row.name << " " << row.depth;
        qvh::writeImage(path(row.name), image, type);
        Image back = qvh::readImage(path(row.name));
        ASSERT_EQ(back.width, 2) << row.name;
        if (!row.alpha) {  /* JPEG: lossy and subsampled, so only its dropped alpha is checked */
            EXPECT_EQ(back.rgba[3], 1.0f) << row.name;
            continue;
        }
        for (int c = 0; c < 4; ++c) {
            float want = row.unbounded ? pixels[c + 4] : std::min(1.0f, std::max(0.0f, pixels[c + 4]));
            EXPECT_NEAR(back.rgba[c], pixels[c], row.step + 1e-7f) << row.name << " channel " << c;
            EXPECT_NEAR(back.rgba[c + 4], want, row.step + 1e-7f) << row.name << " channel " << c;
        }
    }
}

using AegpTest = HostTest;

TEST_F(AegpTest, EffectLayerLeadsToTheCompositionFrameRate)
{
    qvh::Composition comp;
    comp.fps = 29.97;
    SPBasicSuite *basic = qvh::host().suites.basicSuite();
    const void *pf = nullptr, *layer = nullptr, *compSuite = nullptr;
    ASSERT_EQ(basic->AcquireSuite(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &pf), kSPNoError);
    ASSERT_EQ(basic->AcquireSuite(kAEGPLayerSuite, kAEGPLayerSuiteVersion8, &layer), kSPNoError);
    ASSERT_EQ(basic->AcquireSuite(kAEGPCompSuite, kAEGPCompSuiteVersion11, &compSuite), kSPNoError);
    auto pfs = static_cast<const AEGP_PFInterfaceSuite1 *>(pf);
    auto ls = static_cast<const AEGP_LayerSuite8 *>(layer);
    auto cs = static_cast<const AEGP_CompSuite11 *>(compSuite);
    AEGP_LayerH layerH = nullptr;
    EXPECT_NE(pfs->AEGP_GetEffectLayer(nullptr, &layerH), A_Err_NONE);  /* no effect at work */
    {
        qvh::ActiveComposition active(comp);
        ASSERT_EQ(pfs->AEGP_GetEffectLayer(nullptr, &layerH), A_Err_NONE);
        AEGP_CompH compH = nullptr;
        ASSERT_EQ(ls->AEGP_GetLayerParentComp(layerH, &compH), A_Err_NONE);
        A_FpLong fps = 0;
        ASSERT_EQ(cs->AEGP_GetCompFramerate(compH, &fps), A_Err_NONE);
        EXPECT_EQ(fps, 29.97);
        qvh::host().faults.failFunction("AEGP_GetCompFramerate", A_Err_GENERIC);
        EXPECT_EQ(cs->AEGP_GetCompFramerate(compH, &fps), A_Err_GENERIC);
    }
    basic->ReleaseSuite(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
    basic->ReleaseSuite(kAEGPLayerSuite, kAEGPLayerSuiteVersion8);
    basic->ReleaseSuite(kAEGPCompSuite, kAEGPCompSuiteVersion11);
}

} // namespace
