// qvhost render --language lua, run as a user runs it: the examples, and a
// script that never ends stopped by --abort-after.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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
        std::string command = std::string(QV_QVHOST_PATH) + " render --language lua --code '" + code + "' --out '" +
                              dir_ + "/out.png' " + args + " 2>&1";
        FILE *pipe = popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        *status = WEXITSTATUS(pclose(pipe));
        return out;
    }
    std::string example(const std::string &name) const { return std::string(QV_SOURCE_DIR) + "/examples/" + name; }

    std::string dir_;
};

TEST_F(QvhostLuaTest, ExamplesRenderAndLog)
{
    struct Case {
        const char *file, *args, *logged;
    } cases[] = {
        {"pixels.lua", "--size 64x32", "greyed 1024 pixels"},
        {"params.lua", "--size 64x32 --point 0=20,10 --slider 0=6 --color 0=1,0,0", "disc at (20, 10), radius 6"},
        {"feedback.lua", "--size 64x32 --slider 0=0.5", "two passes, one fed back"},
        {"rings.lua", "--size 64x32", "rendered 64x32 at t=0.0"},
    };
    for (const Case &c : cases) {
        int status = 1;
        std::string out = render(example(c.file), std::string(c.args) + " --debug", &status);
        EXPECT_EQ(status, 0) << c.file << ": " << out;
        EXPECT_NE(out.find(c.logged), std::string::npos) << c.file << ": " << out;
        EXPECT_EQ(::access((dir_ + "/out.png").c_str(), R_OK), 0) << c.file;
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
