// The about text and the start window's script, run in the simulator's engine.
#include "common/host_fixture.h"
#include "support/text.h"
#include "testhost/scripting/script_engine.h"
#include "ui/about_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

std::string line(const std::string &text, int n)  /* 1-based, without its line feed */
{
    std::size_t at = 0;
    for (int i = 1; i < n; ++i)
        at = text.find('\n', at) + 1;
    return text.substr(at, text.find('\n', at) - at);
}

TEST(AboutTextTest, HasTheVersionBlockAndEndsEveryLine)
{
    std::string about = qv::BuildAboutText();
    EXPECT_EQ(line(about, 1), "---=== About Quorvel ===---");
    EXPECT_EQ(line(about, 2), "\xF0\x9F\x8C\xB2\xF0\x9F\x8C\xB2\xF0\x9F\x8C\xB2");
    EXPECT_EQ(line(about, 3), "Developers :");
    EXPECT_EQ(line(about, 4).rfind("Main Plugin : ", 0), 0u);
    EXPECT_EQ(line(about, 5).rfind("Scripts : ", 0), 0u);
    EXPECT_EQ(line(about, 6).substr(line(about, 6).size() - 9), "presents.");
    EXPECT_EQ(line(about, 7), "\xF0\x9F\x8C\xBD\xF0\x9F\x8C\xBD\xF0\x9F\x8C\xBD");
    EXPECT_EQ(line(about, 8), "Version information :");
    EXPECT_NE(about.find("\nQuorvel v1.0 Build ( Win10 x64 ) \nLua 5.3\nGLSL 3.3 (#version 330 core)\n"
                         "After Effects SDK : 2017.1\n"),
              std::string::npos);
    for (const char *label : {"\nDocumentation : \n", "\nContact with us : \n", "\nWebsite : \n", "\n\n---=== English ===---\n",
                              "\n---=== \xE4\xB8\xAD\xE6\x96\x87 ===---\n", "\n---=== \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E ===---\n"})
        EXPECT_NE(about.find(label), std::string::npos) << label;
    EXPECT_EQ(about.back(), '\n');
}

class StartWindowScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-about-XXXXXX";
        root_ = mkdtemp(pattern);
        folder_ = root_ + "/It's \"Plug-ins\"";
        mkdir(folder_.c_str(), 0755);
        mkdir((folder_ + "/Tessmar").c_str(), 0755);
        qvh::scriptEngine().restart();
    }
    void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
    void show()
    {
        std::string escaped = folder_, result, error;
        qv::EscapeForScript(escaped);
        ASSERT_EQ(qvh::scriptEngine().run(qv::ComposeStartWindowScript(escaped), result, error), A_Err_NONE) << error;
    }
    std::string evaluate(const std::string &e) { return qvh::scriptEngine().evaluate(e); }

    std::string root_, folder_;
};

TEST_F(StartWindowScriptTest, ShowsTheLogoAboveTheAboutText)
{
    std::ofstream(folder_ + "/Tessmar/LOGO.png") << "png";
    show();
    EXPECT_EQ(evaluate("var w = _Quorvel_window_; [w.type, w.title, w.properties.borderless, w.visible, w.centered,"
                       " w.bounds.width, w.bounds.height].join('|')"),
              "window||true|true|true|500|750");
    EXPECT_EQ(evaluate("var logo = w.children[0]; [logo.type, logo.image, logo.bounds.width, logo.bounds.height].join('|')"),
              "image|" + folder_ + "/Tessmar/LOGO.png|500|500");
    EXPECT_EQ(evaluate("logo.helpTip.slice(-15)"), "(Click to quit)");
    EXPECT_EQ(evaluate("w.children[1].text"), qv::BuildAboutText());
    EXPECT_EQ(evaluate("var t = w.children[1]; [t.bounds.y, t.bounds.height, t.properties.readonly].join('|')"),
              "500|250|true");
    evaluate("logo.notify('onClick')");
    EXPECT_EQ(evaluate("w.closed + ' ' + _Quorvel_window_"), "true null");
    EXPECT_TRUE(qvh::scriptEngine().alerts().empty());
}

TEST_F(StartWindowScriptTest, WithoutTheLogoTheTextComesAsAnAlert)
{
    show();
    EXPECT_EQ(qvh::scriptEngine().alerts(), std::vector<std::string>{qv::BuildAboutText()});
    EXPECT_EQ(evaluate("_Quorvel_window_"), "null");
}

using AboutCommandTest = HostTest;

TEST_F(AboutCommandTest, ShowsTheTextAndAnswersZeroWhateverTheScriptDoes)
{
    qvh::installScriptEngine();
    ASSERT_EQ(effect().globalSetup().err, PF_Err_NONE);
    qvh::CommandResult r = effect().command(PF_Cmd_ABOUT);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_EQ(r.message(), "");
    EXPECT_EQ(qvh::scriptEngine().alerts(), std::vector<std::string>{qv::BuildAboutText()});  /* no logo here */
    qvh::host().faults.failFunction("AEGP_ExecuteScript", A_Err_GENERIC);
    EXPECT_EQ(effect().command(PF_Cmd_ABOUT).err, PF_Err_NONE);
}

} // namespace
