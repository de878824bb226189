// qvhost edit and qvhost about, run as a user runs them.
#include "common/run_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

class QvhostUiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv-cli-XXXXXX";
        dir_ = mkdtemp(pattern);
        mkdir((dir_ + "/app").c_str(), 0755);
        mkdir((dir_ + "/app/Plug-ins").c_str(), 0755);
        mkdir((dir_ + "/app/Plug-ins/Tessmar").c_str(), 0755);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    // Runs qvhost with `args`; its standard output and error together.
    std::string qvhost(const std::string &args, int *status = nullptr)
    {
        CommandRun run = runCommand(std::string(QV_QVHOST_PATH) + " " + args + " 2>&1");
        if (status)
            *status = run.status;
        return run.output;
    }
    void write(const std::string &path, const std::string &text) { std::ofstream(dir_ + "/" + path) << text; }
    std::string app() const { return " --app '" + dir_ + "/app'"; }

    std::string dir_;
};

TEST_F(QvhostUiTest, AboutShowsTheStartWindowOrItsAlert)
{
    int status = 1;
    std::string out = qvhost("about" + app(), &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.rfind("alert (no logo):\n---=== About Quorvel ===---\n", 0), 0u) << out;
    write("app/Plug-ins/Tessmar/LOGO.png", "png");
    out = qvhost("about" + app());
    EXPECT_EQ(out.rfind("start window, logo " + dir_ + "/app/Plug-ins/Tessmar/LOGO.png:\n---=== About", 0), 0u) << out;
    EXPECT_NE(out.find("Quorvel v1.0 Build ( Win10 x64 ) \n"), std::string::npos);
}

TEST_F(QvhostUiTest, EditStoresWhatTheScriptedUserTypedAndWritesTheCatalog)
{
    std::string project = "'" + dir_ + "/p.json'";
    ASSERT_EQ(qvhost("project new " + project), "");
    write("user.js", "function (dialog, user) {\n"
                     "    user.answer('Lib', 'one');\n"
                     "    user.type(user.find('edittext'), 'void main(){ outColor = vec4(1.0); }');\n"
                     "    user.click(user.find('button', 'Add'));\n"
                     "    user.click(user.find('button', 'Save as preset'));\n"
                     "    user.click(user.find('button', 'Ok'));\n"
                     "}\n");
    int status = 1;
    std::string out =
        qvhost("edit " + project + " --user '" + dir_ + "/user.js'" + app() + " --allow-script-access", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("saved " + dir_ + "/p.json with the new code (36 bytes)"), std::string::npos) << out;
    EXPECT_NE(qvhost("project show " + project).find("void main(){ outColor = vec4(1.0); }"), std::string::npos);
    std::ifstream catalog(dir_ + "/app/Plug-ins/Tessmar/Lib.qvp");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(catalog), {}).find("\"name\":\"one\""), std::string::npos);
}

TEST_F(QvhostUiTest, AMalformedCatalogFailsTheEditAndKeepsTheProject)
{
    std::string project = "'" + dir_ + "/p.json'";
    qvhost("project new " + project);
    write("app/Plug-ins/bad.qvp", "");
    write("user.js", "function (d, u) { u.type(u.find('edittext'), 'lost'); u.click(u.find('button', 'Ok')); }");
    int status = 0;
    std::string out = qvhost("edit " + project + " --user '" + dir_ + "/user.js'" + app() + " --legacy", &status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("The code editor failed and the code is unchanged"), std::string::npos) << out;
    EXPECT_NE(out.find("alert: "), std::string::npos) << out;
    EXPECT_NE(qvhost("project show " + project).find("outColor = getColor(uv);"), std::string::npos);
}

TEST_F(QvhostUiTest, ACatalogThatIsScriptRunsNothingOnTheLegacyEngine)
{
    std::string project = "'" + dir_ + "/p.json'";
    qvhost("project new " + project);
    const std::string outside = dir_ + ".outside";  /* not the test's folder */
    write("app/Plug-ins/evil.qvp",
          "{\"name\": \"x\", \"type\": \"Quorvel Preset\", \"version\": 1, \"presets\": [], \"z\": "
          "(function () { var f = new Folder('" + outside + "'); f.create(); "
          "var w = new File('" + outside + "/made'); w.open('w'); w.write('x'); w.close(); return 1; })()}");
    write("user.js", "function (d, u) { u.click(u.find('button', 'Ok')); }");
    int status = 0;
    std::string out = qvhost("edit " + project + " --user '" + dir_ + "/user.js'" + app() + " --legacy", &status);
    EXPECT_EQ(status, 1) << out;
    EXPECT_NE(out.find("JSON.parse"), std::string::npos) << out;
    struct stat info;
    EXPECT_NE(::stat(outside.c_str(), &info), 0) << "the catalog ran as script";
    std::system(("rm -rf '" + outside + "'").c_str());
}

TEST_F(QvhostUiTest, OkWithoutAnEditLeavesAnyStoredBytesAlone)
{
    const std::string code("a\0b\xE9\xFF", 5);
    std::ofstream(dir_ + "/code.glsl", std::ios::binary) << code;
    std::string project = "'" + dir_ + "/p.json'";
    qvhost("project new " + project + " --code '" + dir_ + "/code.glsl'");
    std::ifstream before(dir_ + "/p.json");
    std::string saved((std::istreambuf_iterator<char>(before)), std::istreambuf_iterator<char>());
    write("user.js", "function (d, u) { u.click(u.find('button', 'Ok')); }");
    int status = 1;
    std::string out = qvhost("edit " + project + " --user '" + dir_ + "/user.js'" + app(), &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("the code is unchanged"), std::string::npos) << out;
    std::ifstream after(dir_ + "/p.json");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), saved);
}

} // namespace
