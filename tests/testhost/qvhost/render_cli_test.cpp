// qvhost render as people use it: the built tool, its options and its errors.
#include "testhost/images/composition.h"
#include "common/run_command.h"
#include "testhost/images/image_io.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct ToolRun {
    int status;
    std::string output;  // stdout and stderr together
};

class RenderCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        char t[] = "/tmp/qv-cli-XXXXXX";
        dir_ = ::mkdtemp(t);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string path(const std::string &name) const { return dir_ + "/" + name; }

    void write(const std::string &name, const std::string &text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
    }

    ToolRun qvhost(const std::string &args) const { return tool("render " + args); }

    ToolRun tool(const std::string &args) const
    {
        CommandRun run = runCommand(std::string(QV_QVHOST_PATH) + " " + args + " 2>&1");
        return {run.status, run.output};
    }

    std::string dir_;
};

const char *kGradient = "void mainImage(out vec4 c, in vec2 p){ c = vec4(p / iResolution.xy, 0.0, 1.0); }";

TEST_F(RenderCli, DefaultRenderIsA1080pPngOfTheTestPattern)
{
    ToolRun r = qvhost("--out " + path("a.png"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("wrote " + path("a.png") + " (1920x1080, 8 bits)"), std::string::npos) << r.output;
    qvh::Image image = qvh::readImage(path("a.png"));
    qvh::Image pattern = qvh::testPattern(1920, 1080);
    ASSERT_EQ(image.width, 1920);
    ASSERT_EQ(image.height, 1080);
    for (int y : {0, 539, 540, 1079})
        for (int x : {0, 700, 1919})
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(image.pixel(x, y)[c], pattern.pixel(x, y)[c], 1.5 / 255) << x << "," << y;
}

TEST_F(RenderCli, ShadertoyGradientAtEachDepthAndFormat)
{
    write("g.glsl", kGradient);
    const struct { const char *depth; const char *out; float tolerance; } rows[] = {
        {"8", "g8.png", 1.0f / 255}, {"16", "g16.png", 2.0f / 32768}, {"32", "g32.exr", 1e-5f}, {"8", "g8.exr", 1.0f / 255}};
    for (auto row : rows) {
        ToolRun r = qvhost("--code " + path("g.glsl") + " --language shadertoy --size 320x200 --depth " + row.depth +
                       " --out " + path(row.out));
        ASSERT_EQ(r.status, 0) << r.output;
        qvh::Image image = qvh::readImage(path(row.out));
        ASSERT_EQ(image.width, 320);
        EXPECT_NEAR(image.pixel(319, 0)[0], 319.5f / 320, row.tolerance) << row.out;
        EXPECT_NEAR(image.pixel(0, 0)[1], 199.5f / 200, row.tolerance) << row.out;
        EXPECT_EQ(image.pixel(10, 10)[3], 1.0f) << row.out;
    }
}

TEST_F(RenderCli, ParameterOptionsReachTheShader)
{
    write("p.glsl",
          "void main(){ outColor = vec4(slider[2], angle[1] / 360.0, checkbox[4] ? 1.0 : 0.0, 1.0)"
          " + vec4(point[3] / 1000.0, point3d[5].z, 0.0) * float(uv.x < 0.0) + color[6] * float(uv.y > 0.5); }");
    ToolRun r = qvhost("--code " + path("p.glsl") + " --size 8x8 --slider 2=0.25 --angle 1=90 --checkbox 4=1"
                   " --point 3=100,200 --point3d 5=1,2,3 --color 6=0,0.5,0,1 --out " + path("p.png"));
    ASSERT_EQ(r.status, 0) << r.output;
    qvh::Image image = qvh::readImage(path("p.png"));
    const float *bottom = image.pixel(0, 7);
    EXPECT_NEAR(bottom[0], 0.25f, 1.0f / 255);
    EXPECT_NEAR(bottom[1], 0.25f, 1.0f / 255);
    EXPECT_EQ(bottom[2], 1.0f);
    const float *top = image.pixel(0, 0);
    EXPECT_NEAR(top[1], 0.25f + 128 / 255.0f, 1.0f / 255);
}

TEST_F(RenderCli, LayersInputAndSamplers)
{
    qvh::Image red(4, 4), blue(16, 16);
    for (int i = 0; i < 16; ++i)
        red.rgba[i * 4] = red.rgba[i * 4 + 3] = 1;
    for (int i = 0; i < 256; ++i)
        blue.rgba[i * 4 + 2] = blue.rgba[i * 4 + 3] = 1;
    qvh::writeImage(path("red.png"), red, 16);
    qvh::writeImage(path("blue.exr"), blue, 8);
    write("l.glsl", "void main(){ outColor = getColor(uv) * 0.5 + getColor(2, uv) * 0.5; }");
    ToolRun r = qvhost("--code " + path("l.glsl") + " --input " + path("red.png") + " --layer 2=" + path("blue.exr") +
                   " --mag nearest --min nearest --wrap-u clamp --wrap-v mirror --depth 32 --out " + path("l.exr"));
    ASSERT_EQ(r.status, 0) << r.output;
    qvh::Image image = qvh::readImage(path("l.exr"));
    ASSERT_EQ(image.width, 4);  /* the input's size */
    EXPECT_FLOAT_EQ(image.pixel(1, 1)[0], 0.5f);
    EXPECT_FLOAT_EQ(image.pixel(1, 1)[2], 0.5f);
}

TEST_F(RenderCli, FrameRangeOnTwoThreadsWritesNumberedFiles)
{
    write("t.glsl", "void main(){ outColor = vec4(fract(time), fps / 100.0, 0.0, 1.0); }");
    ToolRun r = qvhost("--code " + path("t.glsl") + " --size 16x16 --frames 3-6 --fps 10 --threads 2 --out " +
                   path("f-####.png"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("wrote 4 frames"), std::string::npos) << r.output;
    for (int f = 3; f <= 6; ++f) {
        qvh::Image image = qvh::readImage(path("f-000" + std::to_string(f) + ".png"));
        EXPECT_NEAR(image.pixel(0, 0)[0], f / 10.0f, 1.0f / 255) << f;
        EXPECT_NEAR(image.pixel(0, 0)[1], 0.1f, 1.0f / 255) << f;
    }
}

// The language switch goes through the plug-in, which converts Shadertoy code
// as it does when the user picks the dialect; the saved project holds the
// instance exactly as the options built it, and renders alike.
TEST_F(RenderCli, SavedProjectKeepsTheConvertedCodeAndTheValuesAndRendersAlike)
{
    write("s.glsl", "void mainImage(out vec4 fragColor, in vec2 fragCoord){ vec2 uv = fragCoord / iResolution.xy;"
                    " fragColor = vec4(uv, 0.0, 1.0); }");
    ToolRun made = qvhost("--code " + path("s.glsl") + " --language shadertoy --slider 0=0.5 --size 16x8 --save-project " +
                          path("p.json") + " --out " + path("a.png"));
    ASSERT_EQ(made.status, 0) << made.output;
    ToolRun shown = tool("project show " + path("p.json"));
    ASSERT_EQ(shown.status, 0) << shown.output;
    EXPECT_NE(shown.output.find("vec2 qv_user_uv = fragCoord"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("0.5"), std::string::npos) << shown.output;
    ToolRun again = qvhost("--project " + path("p.json") + " --size 16x8 --out " + path("b.png"));
    ASSERT_EQ(again.status, 0) << again.output;
    qvh::Image a = qvh::readImage(path("a.png")), b = qvh::readImage(path("b.png"));
    EXPECT_NEAR(a.pixel(15, 0)[0], 15.5f / 16, 1.0f / 255);
    EXPECT_NEAR(a.pixel(15, 0)[1], 7.5f / 8, 1.0f / 255);
    EXPECT_EQ(a.rgba, b.rgba);
}

TEST_F(RenderCli, OptionsApplyOverALoadedProject)
{
    write("c.glsl", "void main(){ outColor = vec4(slider[1], 0.0, 0.0, 1.0); }");
    ToolRun saved = qvhost("--code " + path("c.glsl") + " --slider 1=0.25 --size 4x4 --save-project " + path("p.json") +
                           " --out " + path("a.png"));
    ASSERT_EQ(saved.status, 0) << saved.output;
    ToolRun r = qvhost("--project " + path("p.json") + " --slider 1=1 --size 4x4 --out " + path("b.png"));
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NEAR(qvh::readImage(path("a.png")).pixel(0, 0)[0], 0.25f, 1.0f / 255);
    EXPECT_EQ(qvh::readImage(path("b.png")).pixel(0, 0)[0], 1.0f);
}

// What the frame holds is what the file holds: straight colour under a
// partial alpha, and at 32 bits values above 1 and below 0.
TEST_F(RenderCli, ColourAndAlphaReachTheFileUnchanged)
{
    write("v.glsl", "void main(){ outColor = vec4(1.5, -0.25, 0.5, 0.25); }");
    const struct { const char *depth, *out; float r, g, b, tolerance; } rows[] = {
        {"32", "v.exr", 1.5f, -0.25f, 0.5f, 0.0f},
        {"32", "v.tif", 1.5f, -0.25f, 0.5f, 0.0f},
        {"16", "v.png", 1.0f, 0.0f, 0.5f, 1.0f / 32768},
        {"8", "v.tif", 1.0f, 0.0f, 0.5f, 1.0f / 255},
    };
    for (auto row : rows) {
        ToolRun r = qvhost("--code " + path("v.glsl") + " --size 4x4 --depth " + row.depth + " --out " + path(row.out));
        ASSERT_EQ(r.status, 0) << r.output;
        const auto image = qvh::readImage(path(row.out));
        const float *p = image.pixel(1, 1);
        EXPECT_NEAR(p[0], row.r, row.tolerance) << row.out << " " << row.depth;
        EXPECT_NEAR(p[1], row.g, row.tolerance) << row.out << " " << row.depth;
        EXPECT_NEAR(p[2], row.b, row.tolerance) << row.out << " " << row.depth;
        EXPECT_NEAR(p[3], 0.25f, row.tolerance) << row.out << " " << row.depth;
    }
}

TEST_F(RenderCli, UnwritableOutputFailsWithStatusOne)
{
    write("file", "");
    ToolRun r = qvhost("--size 4x4 --out " + path("file/x.png"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("cannot"), std::string::npos) << r.output;
}

} // namespace
