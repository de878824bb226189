// What qvhost render does when an option is left out, as the code sees it.
#include "common/run_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class QvhostDefaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        char t[] = "/tmp/qv-defaults-XXXXXX";
        dir_ = ::mkdtemp(t);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    // Renders `glsl` over one pixel at 32 bits to standard output; its RGBA.
    std::vector<float> pixel(const std::string &glsl, const std::string &args)
    {
        std::ofstream(dir_ + "/t.glsl", std::ios::binary) << glsl;
        CommandRun run = runCommand(std::string(QV_QVHOST_PATH) + " render --code '" + dir_ +
                                    "/t.glsl' --size 1x1 --depth 32 --out - " + args + " 2>'" + dir_ + "/err'");
        EXPECT_EQ(run.status, 0) << std::ifstream(dir_ + "/err").rdbuf();
        std::vector<float> rgba(4, -1.0f);
        EXPECT_EQ(run.output.size(), sizeof(float) * 4);
        if (run.output.size() == sizeof(float) * 4)
            std::memcpy(rgba.data(), run.output.data(), run.output.size());
        return rgba;
    }

    std::string dir_;
};

// Without --fps the composition runs at 24 frames a second: frame 24 is at
// one second.
TEST_F(QvhostDefaults, TheFrameRateIs24)
{
    std::vector<float> rgba = pixel("void main(){ outColor = vec4(fps / 100.0, time, 0.0, 1.0); }", "--frames 24-24");
    EXPECT_FLOAT_EQ(rgba[0] * 100.0f, 24.0f);
    EXPECT_FLOAT_EQ(rgba[1], 1.0f);
}

} // namespace
