// qvhost render --language lua, run as a user runs it: the examples, and a
// script that never ends stopped by --abort-after.
#include "testhost/images/image_io.h"
#include "common/run_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class QvhostLuaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-lua-XXXXXX";
        dir_ = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    // Renders `code` (a path) as Lua with `args`; standard output and error together.
    std::string render(const std::string &code, const std::string &args, int *status)
    {
        CommandRun run = runCommand(std::string(QV_QVHOST_PATH) + " render --language lua --code '" + code +
                                    "' --out '" + dir_ + "/out.png' " + args + " 2>&1");
        *status = run.status;
        return run.output;
    }
    std::string example(const std::string &name) const { return std::string(QV_SOURCE_DIR) + "/examples/" + name; }

    std::string dir_;
};

// A pixel as 8-bit channel values, red, green, blue, alpha.
std::vector<int> bytesAt(const qvh::Image &image, int x, int y)
{
    const float *p = image.pixel(x, y);
    return {int(p[0] * 255 + 0.5f), int(p[1] * 255 + 0.5f), int(p[2] * 255 + 0.5f), int(p[3] * 255 + 0.5f)};
}

// How many pixels of `a` differ from `b`'s.
int differing(const qvh::Image &a, const qvh::Image &b)
{
    int n = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            n += bytesAt(a, x, y) != bytesAt(b, x, y);
    return n;
}

// Each example renders, logs its line and draws what it says over the test
// pattern, which a script that only copies the input gives as the reference.
TEST_F(QvhostLuaTest, ExamplesRenderAndLog)
{
    std::ofstream(dir_ + "/copy.lua") << "qv.in2out()";
    int status = 1;
    render(dir_ + "/copy.lua", "--size 64x32", &status);
    ASSERT_EQ(status, 0);
    const qvh::Image input = qvh::readImage(dir_ + "/out.png");

    struct Case {
        const char *file, *args, *logged;
        std::function<void(const qvh::Image &)> check;
    } cases[] = {
        {"pixels.lua", "--size 64x32", "greyed 1024 pixels",
         [&](const qvh::Image &out) {
             EXPECT_EQ(bytesAt(out, 0, 0), (std::vector<int>{255, 204, 0, 255}));   // the frame
             EXPECT_EQ(bytesAt(out, 63, 31), (std::vector<int>{255, 204, 0, 255}));
             EXPECT_EQ(bytesAt(out, 40, 20), bytesAt(input, 40, 20));               // right half: the input
             std::vector<int> in = bytesAt(input, 20, 12), grey = bytesAt(out, 20, 12);
             EXPECT_EQ(grey[0], grey[1]);
             EXPECT_EQ(grey[1], grey[2]);
             EXPECT_NEAR(grey[0], 0.299 * in[0] + 0.587 * in[1] + 0.114 * in[2], 1.0);
         }},
        {"params.lua", "--size 64x32 --point 0=20,10 --slider 0=6 --color 0=1,0,0", "disc at (20, 10), radius 6",
         [&](const qvh::Image &out) {
             EXPECT_EQ(bytesAt(out, 20, 10), (std::vector<int>{255, 0, 0, 255}));  // the disc's centre
             EXPECT_EQ(bytesAt(out, 20, 5), (std::vector<int>{255, 0, 0, 255}));   // 5 pixels up: inside
             EXPECT_EQ(bytesAt(out, 40, 10), bytesAt(input, 40, 10));              // beside it: the input
             EXPECT_EQ(bytesAt(out, 27, 10), bytesAt(input, 27, 10));
         }},
        {"feedback.lua", "--size 64x32 --slider 0=0.5", "two passes, one fed back",
         [&](const qvh::Image &out) {
             EXPECT_GT(differing(out, input), 64 * 32 * 9 / 10);  // the passes cover the frame
             for (int x = 0; x < 64; x += 9)
                 EXPECT_EQ(bytesAt(out, x, 31)[3], 255) << x;
         }},
        {"rings.lua", "--size 64x32", "rendered 64x32 at t=0.0",
         [&](const qvh::Image &out) {
             EXPECT_GT(differing(out, input), 64 * 32 / 2);
             EXPECT_EQ(bytesAt(out, 0, 0)[3], 255);
         }},
    };
    for (const Case &c : cases) {
        std::string out = render(example(c.file), std::string(c.args) + " --debug", &status);
        EXPECT_EQ(status, 0) << c.file << ": " << out;
        EXPECT_NE(out.find(c.logged), std::string::npos) << c.file << ": " << out;
        ASSERT_EQ(::access((dir_ + "/out.png").c_str(), R_OK), 0) << c.file;
        SCOPED_TRACE(c.file);
        c.check(qvh::readImage(dir_ + "/out.png"));
        std::remove((dir_ + "/out.png").c_str());
    }
}

TEST_F(QvhostLuaTest, AnEndlessScriptStopsOnAbortAfter)
{
    std::ofstream(dir_ + "/forever.lua") << "while true do end";
    int status = 0;
    std::string out = render(dir_ + "/forever.lua", "--size 32x16 --abort-after 1 --debug", &status);
    EXPECT_NE(status, 0) << out;
    EXPECT_NE(out.find("failed with error 517"), std::string::npos) << out;
    EXPECT_NE(out.find("Script stopped: the host cancelled the render."), std::string::npos) << out;
}

} // namespace
