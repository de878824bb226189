// Every qvhost command ends alike: 2 for a mistake in the options, a file
// they name that cannot be read or a plug-in that cannot be used, 1 when the
// work itself fails, with one "qvhost: " message naming the cause. Each row
// runs in its own folder, "@/" in a row, which is also the working folder.
#include "common/run_command.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

struct Row {
    std::string command;  // after "qvhost "
    int status;
    std::string outputHas;  // in standard output and error together
};

class ExitStatus : public ::testing::Test {
protected:
    void SetUp() override
    {
        char t[] = "/tmp/qv-status-XXXXXX";
        ASSERT_NE(::mkdtemp(t), nullptr);
        dir_ = t;
        write("x.aex", "not a library\n");  /* with the real PiPL, so that the loading is what fails */
        ASSERT_EQ(std::system(("cp '" + pipl() + "' '" + dir_ + "/x.pipl'").c_str()), 0);
        write("bad.glsl", "void main(){ outColor = oops; }\n");
        write("user.js", "function (dialog, user) {}\n");
        ASSERT_EQ(run("project new @/p.json").status, 0);
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    static std::string pipl()
    {
        std::string library = QV_PLUGIN_PATH;
        return library.substr(0, library.rfind('.')) + ".pipl";
    }
    void write(const std::string &name, const std::string &text) const
    {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    }
    std::string expand(std::string text) const
    {
        for (std::size_t at; (at = text.find("@/")) != std::string::npos;)
            text.replace(at, 2, dir_ + "/");
        return text;
    }
    CommandRun run(const std::string &command) const
    {
        return runCommand("cd '" + dir_ + "' && " + QV_QVHOST_PATH + " " + expand(command) + " 2>&1");
    }
    void check(const Row &row) const
    {
        SCOPED_TRACE("qvhost " + row.command);
        CommandRun r = run(row.command);
        EXPECT_EQ(r.status, row.status) << r.output;
        EXPECT_NE(r.output.find(row.outputHas), std::string::npos) << r.output;
    }

    std::string dir_;
};

TEST_F(ExitStatus, EachCommandEndsAlike)
{
    const Row rows[] = {
        // a mistake in the options
        {"render --out @/o.png --depth 12", 2, "qvhost: --depth must be 8, 16 or 32"},
        {"edit @/p.json --user @/user.js --bogus", 2, "qvhost: The following argument was not expected: --bogus"},
        {"about --bogus", 2, "--bogus"},
        {"press @/p.json", 2, "qvhost: "},
        {"project show", 2, "qvhost: "},
        {"project new @/n.json --language cobol", 2, "qvhost: --language: 'cobol' is not one of"},
        {"params --bogus", 2, "--bogus"},
        {"info --bogus", 2, "--bogus"},
        // a plug-in that cannot be loaded
        {"render --plugin @/x.aex --size 4x4 --out @/o.png", 2, "qvhost: " + expand("@/x.aex: cannot load")},
        {"edit @/p.json --user @/user.js --plugin @/x.aex", 2, "x.aex: cannot load"},
        {"about --plugin @/x.aex", 2, "x.aex: cannot load"},
        {"press @/p.json 14 --plugin @/x.aex", 2, "x.aex: cannot load"},
        {"project show @/p.json --plugin @/x.aex", 2, "x.aex: cannot load"},
        {"project new @/n.json --plugin @/x.aex", 2, "x.aex: cannot load"},
        {"project set-code @/p.json @/bad.glsl --plugin @/x.aex", 2, "x.aex: cannot load"},
        {"params @/x.aex", 2, "x.aex: cannot load"},
        {"info @/x.aex", 2, "x.aex: cannot load"},
        {"info @/none.aex", 2, "none.aex: cannot open the plug-in"},
        // a missing input file, named
        {"render --code @/none.glsl --size 4x4 --out @/o.png", 2, "none.glsl: cannot read the code file"},
        {"render --project @/none.json --size 4x4 --out @/o.png", 2, "none.json: cannot read the project"},
        {"edit @/p.json --user @/none.js", 2, "qvhost: " + expand("@/none.js: cannot read the user script")},
        {"edit @/none.json --user @/user.js", 2, "none.json: cannot read the project"},
        {"press @/none.json 14", 2, "qvhost: " + expand("@/none.json: cannot read the project")},
        {"project show @/none.json", 2, "none.json: cannot read the project"},
        {"project show @/", 2, "cannot read the project"},  /* a folder opens, but cannot be read */
        {"project set-code @/p.json @/none.glsl", 2, "none.glsl: cannot read the code file"},
        // the work fails: a frame, a write
        {"render --code @/bad.glsl --size 4x4 --out @/o.png", 1, "frame 0: "},
        {"render --size 4x4 --save-project /proc/p.json --out @/o.png", 1, "qvhost: /proc/p.json: cannot write"},
        {"project new /proc/p.json", 1, "qvhost: /proc/p.json: cannot write"},
        // a plug-in named without a folder is the working folder's
        {"info Quorvel.aex", 0, "global setup: 0"},
        {"render --plugin Quorvel.aex --size 4x4 --out @/o.png", 0, "wrote"},
    };
    ASSERT_EQ(std::system(("ln -s '" + std::string(QV_PLUGIN_PATH) + "' '" + dir_ + "/Quorvel.aex' && ln -s '" +
                           pipl() + "' '" + dir_ + "/Quorvel.pipl'").c_str()),
              0);
    for (const Row &row : rows)
        check(row);
}

} // namespace
