// qvhost as scripts use it: a table of command lines, each with the exit
// status, a fragment of standard error, and the files (or standard output
// bytes) it must leave. "@/" in a row stands for the row's own folder, which
// holds the fixtures made below.
#include "common/declared_tiff.h"
#include "testhost/images/composition.h"
#include "testhost/images/image_io.h"
#include "common/run_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <csignal>
#include <dirent.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Case {
    std::string command;            // after "qvhost "
    int status;
    std::string stderrHas;               // "" for any
    std::vector<std::string> files = {}; // must exist afterwards
    std::vector<std::string> absentFiles = {};
    std::string stdoutHas = "";
    long long stdoutBytes = -1;     // -1: not checked
    std::string stderrLacks = "";   // must not appear ("" not checked)
    std::string sameImages = "";    // "A=B": the two files hold the same pixels
};

const char *kBadGlsl = "void main(){\n  vec4 c = vec4(1.0);\n  outColor = c oops\n}\n";
const char *kBadShadertoy = "void mainImage(out vec4 c, in vec2 p){\n  c = vec4(1.0);\n  c.x = oops;\n}\n";
const char *kGradient = "void mainImage(out vec4 c, in vec2 p){ c = vec4(p / iResolution.xy, 0.0, 1.0); }\n";
const char *kBadLua = "qv.in2out()\nlocal a = 1\nlocal b = nil + a\n";
const char *kFailsAtFrameOne = "qv.in2out()\nif time > 0.02 and time < 0.06 then error('frame one broke') end\n";
const char *kIChannel0 = "void mainImage(out vec4 c, in vec2 p){ c = texture(iChannel0, p / iResolution.xy); }\n";
const char *kFailsAtFrameTwo = "qv.in2out()\nif time > 0.07 and time < 0.1 then error('frame two broke') end\n";
const char *kLuaGlslPass = "qv.in2out()\nqv.glsl('void main(){ outColor = vec4(1.0); }')\n";
const char *kHangsAtFrameTwo = "qv.in2out()\nif time > 0.07 then while true do end end\n";

class CliCases : public ::testing::Test {
protected:
    void SetUp() override
    {
        char t[] = "/tmp/qv-cases-XXXXXX";
        dir_ = ::mkdtemp(t);
        write("bad.glsl", kBadGlsl);
        write("bad.st.glsl", kBadShadertoy);
        write("gradient.st.glsl", kGradient);
        write("bad.lua", kBadLua);
        write("table-error.lua", "error({1, 2, 3})");
        write("frame1.lua", kFailsAtFrameOne);
        write("ichannel0.st.glsl", kIChannel0);
        write("hang.lua", kHangsAtFrameTwo);
        write("frame2.lua", kFailsAtFrameTwo);
        write("pass.lua", kLuaGlslPass);
        const std::string bom = "\xEF\xBB\xBF";
        write("bom.glsl", bom + "void main(){ outColor = vec4(1.0, 0.0, 0.0, 1.0); }\n");
        write("bom.st.glsl", bom + kGradient);
        write("bom.lua", bom + "qv.in2out()\n");
        write("print.lua", "print('hello')\nqv.in2out()\n");
        for (int f = 1; f <= 3; ++f) {
            qvh::Image frame(4, 2);
            for (std::size_t i = 0; i < frame.rgba.size(); ++i)
                frame.rgba[i] = (i % 4 == 3) ? 1.0f : f / 4.0f;
            qvh::writeImage(path("in-000" + std::to_string(f) + ".png"), frame, 8);
        }
        qvh::writeImage(path("in.tif"), qvh::testPattern(6, 4), 16);
        write("negative.json", R"({"format": "qvhost project", "version": -1, "effect": "Tessmar Quorvel", "params": []})");
        write("badlayer.json", R"({"format": "qvhost project", "version": 1, "effect": "Tessmar Quorvel",
            "params": [{"id": 103, "type": "layer", "value": -1}]})");
        write("hugelayer.json", R"({"format": "qvhost project", "version": 1, "effect": "Tessmar Quorvel",
            "params": [{"id": 103, "type": "layer", "value": 2147483647}]})");
    }
    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    std::string path(const std::string &name) const { return dir_ + "/" + name; }
    std::string expand(std::string text) const
    {
        for (std::size_t at; (at = text.find("@/")) != std::string::npos;)
            text.replace(at, 2, dir_ + "/");
        return text;
    }
    void write(const std::string &name, const std::string &text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string &file) const
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The names in `folder`, and those of them that are temporaries of an
    // unfinished write.
    std::vector<std::string> names(const std::string &folder) const
    {
        std::vector<std::string> found;
        if (DIR *dir = ::opendir(folder.c_str())) {
            while (dirent *e = ::readdir(dir))
                if (e->d_name[0] != '.' || std::strstr(e->d_name, ".qvtmp-"))
                    found.push_back(e->d_name);
            ::closedir(dir);
        }
        return found;
    }
    std::vector<std::string> temporaries(const std::string &folder) const
    {
        std::vector<std::string> found;
        for (const std::string &name : names(folder))
            if (name.find(".qvtmp-") != std::string::npos)
                found.push_back(name);
        return found;
    }
    bool exists(const std::string &file) const
    {
        struct stat s;
        return ::stat(file.c_str(), &s) == 0;
    }

    // Runs qvhost (after `env`, a command setting its environment) with
    // stdout and stderr in files; the exit status.
    int run(const std::string &command, const std::string &env = "") const
    {
        std::string line = env + std::string(QV_QVHOST_PATH) + " " + expand(command) + " >" + path("stdout") +
                           " 2>" + path("stderr");
        int status = std::system(line.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void check(const Case &c, const std::string &env = "")
    {
        SCOPED_TRACE(env + "qvhost " + c.command);
        for (const std::string &f : c.files)
            std::remove(expand(f).c_str());
        int status = run(c.command, env);
        std::string err = read(path("stderr")), out = read(path("stdout"));
        EXPECT_EQ(status, c.status) << err;
        EXPECT_NE(err.find(c.stderrHas), std::string::npos) << err;
        if (!c.stderrLacks.empty()) {
            EXPECT_EQ(err.find(c.stderrLacks), std::string::npos) << err;
        }
        EXPECT_NE(out.find(c.stdoutHas), std::string::npos) << out;
        if (c.stdoutBytes >= 0) {
            EXPECT_EQ(static_cast<long long>(out.size()), c.stdoutBytes);
        }
        for (const std::string &f : c.files)
            EXPECT_TRUE(exists(expand(f))) << f;
        for (const std::string &f : c.absentFiles)
            EXPECT_FALSE(exists(expand(f))) << f;
        if (!c.sameImages.empty()) {
            std::size_t eq = c.sameImages.find('=');
            qvh::Image a = qvh::readImage(expand(c.sameImages.substr(0, eq)));
            qvh::Image b = qvh::readImage(expand(c.sameImages.substr(eq + 1)));
            EXPECT_EQ(a.width, b.width);
            EXPECT_EQ(a.rgba, b.rgba);
        }
    }

    std::string dir_;
};

TEST_F(CliCases, FailuresOfTheCodeAreFailuresOfTheRender)
{
    const Case cases[] = {
        // a compile error, reported at the user's line, without --debug; the failed frame writes no file
        {"render --code @/bad.glsl --size 8x8 --out @/a.png", 1, "frame 0: ERROR::SHADER::FRAGMENT", {}, {"@/a.png"}, "", -1, "debug log"},
        {"render --code @/bad.glsl --size 8x8 --out @/a.png", 1, "0:3("},
        // Shadertoy code rendered as GLSL: the hint
        {"render --code @/gradient.st.glsl --size 8x8 --out @/a.png", 1, "render it with --language shadertoy"},
        {"render --code @/bad.st.glsl --language shadertoy --size 8x8 --out @/a.png", 1, "0:3("},
        {"render --code @/gradient.st.glsl --language shadertoy --size 8x8 --out @/a.png", 0, "", {"@/a.png"}, {}, "wrote", -1, "frame"},
        // a Lua error, at the script's own line
        {"render --code @/bad.lua --language lua --size 8x8 --out @/a.png", 1, "frame 0: [string \"qv.in2out()...\"]:3:"},
        {"render --code @/table-error.lua --language lua --size 8x8 --out @/a.png", 1,
         "frame 0: (error object is a table value)"},
        // the other frames are finished, or not with --fail-fast
        {"render --code @/frame1.lua --language lua --size 4x4 --frames 0-2 --out @/f-####.png", 1, "frame 1: ",
         {"@/f-0000.png", "@/f-0002.png"}},
        {"render --code @/frame1.lua --language lua --size 4x4 --frames 0-2 --fail-fast --out @/g-####.png", 1,
         "frame one broke", {"@/g-0000.png"}, {"@/g-0002.png"}},
        // --debug still prints the log; a script's own debug.add lines are no failures
        {"render --code @/bad.glsl --size 8x8 --debug --out @/a.png", 1, "debug log (1 entries"},
        {"render --language lua --code " QV_SOURCE_DIR "/examples/params.lua --size 64x64 --out @/a.png", 0, "", {"@/a.png"}, {}, "", -1, "disc at"},
        // the byte-order mark of a UTF-8 file is no part of the code, in every language
        {"render --code @/bom.glsl --size 8x8 --out @/a.png", 0, ""},
        {"render --code @/bom.st.glsl --language shadertoy --size 8x8 --out @/a.png", 0, ""},
        {"render --code @/bom.lua --language lua --size 8x8 --out @/a.png", 0, "", {}, {}, "", -1, "frame 0"},
    };
    for (const Case &c : cases)
        check(c);
}

// A failed frame writes no file, so a mistake in the code cannot overwrite a
// good sequence; in a raw stream it keeps its place as a transparent frame.
// Code that does not compile fails every frame alike: the first says so once.
TEST_F(CliCases, AFailedFrameWritesNoFile)
{
    ASSERT_EQ(run("render --size 4x4 --frames 0-4 --out @/good-####.png"), 0) << read(path("stderr"));
    auto goodFile = [&](int f) { return read(path("good-000" + std::to_string(f) + ".png")); };
    std::vector<std::string> good;
    for (int f = 0; f < 5; ++f)
        good.push_back(goodFile(f));
    const Case cases[] = {
        {"render --code @/bad.glsl --size 4x4 --frames 0-4 --threads 2 --out @/good-####.png", 1,
         "the code does not compile: the remaining 4 frames were not rendered", {}, {}, "", -1, "frame 1:"},
        {"render --code @/bad.st.glsl --language shadertoy --size 4x4 --frames 0-4 --out @/good-####.png", 1,
         "frame 0: ERROR::SHADER::", {}, {}, "", -1, "frame 4:"},
        // a Lua error may depend on the frame: the others are rendered
        {"render --code @/frame2.lua --language lua --size 4x4 --frames 0-3 --out @/e-####.png", 1, "frame 2: ",
         {"@/e-0000.png", "@/e-0001.png", "@/e-0003.png"}, {"@/e-0002.png"}, "wrote 3 frames"},
        {"render --code @/frame2.lua --language lua --size 4x4 --frames 0-3 --threads 3 --out @/t-####.png", 1,
         "frame two broke", {"@/t-0000.png", "@/t-0003.png"}, {"@/t-0002.png"}},
        // in a raw stream the failed frame, or the frame whose input is missing, keeps its place
        {"render --input @/in-####.png --frames 2-4 --threads 2 --out -", 2, "frame 4: ", {}, {}, "", 3 * 32},
        {"render --code @/frame2.lua --language lua --size 4x2 --frames 0-3 --out -", 1, "frame 2: ", {}, {}, "", 4 * 32},
    };
    for (const Case &c : cases)
        check(c);
    std::string out = read(path("stdout"));  /* the last row's: frame 2 transparent, frame 3 the pattern */
    ASSERT_EQ(out.size(), 128u);
    EXPECT_EQ(out.substr(64, 32), std::string(32, '\0'));
    EXPECT_EQ(static_cast<unsigned char>(out[96 + 3]), 255);
    check({"render --code @/bad.glsl --size 4x4 --frames 0-4 --out @/good-####.png", 1, "frame 0: ERROR::SHADER::",
           {}, {}, "", -1, "frame 1:"});
    std::string err = read(path("stderr"));
    EXPECT_EQ(err.find("COMPILATION_FAILED"), err.rfind("COMPILATION_FAILED")) << "reported once: " << err;
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(goodFile(f), good[f]) << "good-000" << f << ".png was replaced";
}

// Without a display no OpenGL context can be made, whatever the language:
// one message naming the cause and the way out, status 2, no file, and no
// frame tried after the first.
TEST_F(CliCases, NoDisplayIsOneClearMessage)
{
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY ";
    const char *message = "cannot create an OpenGL context: no display; run under a display or xvfb-run";
    const Case cases[] = {
        {"render --code @/bom.glsl --size 4x4 --frames 0-2 --out @/n-####.png", 2, message, {}, {"@/n-0000.png"}, "", -1,
         "frame"},
        {"render --code @/gradient.st.glsl --language shadertoy --size 4x4 --frames 0-2 --out @/n-####.png", 2,
         message, {}, {"@/n-0000.png"}, "", -1, "frame"},
        {"render --code @/pass.lua --language lua --size 4x4 --frames 0-2 --threads 2 --out @/n-####.png", 2, message,
         {}, {"@/n-0000.png", "@/n-0002.png"}, "", -1, "frame"},
        {"render --code @/gradient.st.glsl --language shadertoy --size 4x2 --frames 0-2 --out -", 2, message, {}, {},
         "", 0, "GLFW"},
    };
    for (const Case &c : cases)
        check(c, noDisplay);
}

// Debug was set for the render only: the saved project keeps it off.
TEST_F(CliCases, TheSavedProjectIsTheUsers)
{
    check({"render --code @/bad.glsl --size 8x8 --save-project @/p.json --out @/a.png", 1, "frame 0"});
    check({"project show @/p.json", 0, "", {}, {}, "code ("});
    EXPECT_EQ(read(path("stdout")).find("Debug"), std::string::npos) << read(path("stdout"));
    check({"render --code @/bad.glsl --size 8x8 --debug --save-project @/q.json --out @/a.png", 1, "frame 0"});
    check({"project show @/q.json", 0, "", {}, {}, "Debug"});
}

TEST_F(CliCases, OptionMistakesExitTwoAndNameTheOption)
{
    const Case cases[] = {
        {"", 2, "Subcommands:"},
        {"--version", 0, "", {}, {}, "qvhost 1.0.0"},
        {"render --ouput @/x.png", 2, "'--ouput'"},
        {"render --out @/x.png --depth", 2, "--depth"},
        {"render --out @/x.png --fps fast", 2, "--fps"},
        {"rendr --out @/x.png", 2, "rendr"},
        {"render", 2, "--out is required"},
        {"render --out @/x.xyz", 2, "unknown image type '.xyz'"},
        {"render --frames 1-3 --out @/x.png", 2, "holding #### or %04d"},
        {"render --frames 5-3 --out @/x####.png", 2, "the last frame comes before the first"},
        {"render --frames 1-5:0 --out @/x####.png", 2, "the step must be 1 or more"},
        {"render --frames x --out @/x####.png", 2, "'x' is not a frame number"},
        {"render --time 1 --frames 1-2 --out @/x####.png", 2, "exclude each other"},
        {"render --depth 12 --out @/x.png", 2, "--depth must be 8, 16 or 32"},
        {"render --size 0x10 --out @/x.png", 2, "expected WxH"},
        {"render --size 30000x30000 --out @/x.png", 2, "million pixels at most"},
        {"render --slider 10=1 --out @/x.png", 2, "N must be 0 to 9"},
        {"render --point 1=3 --out @/x.png", 2, "expected 2 numbers"},
        {"render --color 1=2,0,0 --out @/x.png", 2, "channels go from 0 to 1"},
        {"render --language cobol --out @/x.png", 2, "is not one of glsl|shadertoy|lua"},
        {"render --wrap-u sideways --out @/x.png", 2, "is not one of repeat|mirror|clamp"},
        {"render --threads 0 --out @/x.png", 2, "--threads must be 1 to 64"},
        {"render --input @/none.png --out @/x.png", 2, "none.png: cannot open"},
        {"render --input @/bad.glsl --out @/x.png", 2, "bad.glsl: cannot open"},
        {"render --input " QV_TEST_DATA_DIR "/huge-header.png --out @/x.png", 2, "declares 100000x100000 pixels"},
        {"render --code @/none.glsl --out @/x.png", 2, "cannot read the code file"},
        {"render --plugin @/none.aex --out @/x.png", 2, "none.aex: cannot open the plug-in"},
        // outputs that cannot be written, and memory that runs out, are failures of the render
        {"render --size 4x4 --out /proc/x.png", 1, "frame 0: /proc/x.png: cannot open"},
    };
    for (const Case &c : cases)
        check(c);
}

TEST_F(CliCases, ProjectFilesAreCheckedAndNamedOnce)
{
    const Case cases[] = {
        {"project new @/st.json --code @/gradient.st.glsl --language shadertoy", 0, "", {"@/st.json"}},
        {"project show @/st.json", 0, "", {}, {}, "Language               2 (shadertoy.com)"},
        {"project new @/x.json --language cobol", 2, "'cobol' is not one of"},
        {"project new @/x.json --code @/none.glsl", 2, "none.glsl: cannot read the code file"},
        {"project show @/negative.json", 2, "format version -1 does not exist: versions count from 1"},
        {"project show @/badlayer.json", 2, "layer -1 is not between 0 (none) and 10"},
        {"project show @/hugelayer.json", 2, "layer 2147483647 is not"},
        {"project show @/none.json", 2, "none.json: cannot read"},
        {"render --project @/badlayer.json --out @/x.png", 2, "badlayer.json: "},
        {"render --project @/negative.json --out @/x.png", 2, "negative.json: format version"},
    };
    for (const Case &c : cases)
        check(c);
    // the file is named once, not once per layer of error handling
    check({"project show @/negative.json", 2, "negative.json"});
    std::string err = read(path("stderr"));
    EXPECT_EQ(err.find("negative.json"), err.rfind("negative.json")) << err;
    check({"render --project @/badlayer.json --out @/x.png", 2, "badlayer.json"});
    err = read(path("stderr"));
    EXPECT_EQ(err.find("badlayer.json"), err.rfind("badlayer.json")) << err;
}

TEST_F(CliCases, FramePatternsFormatsAndStandardOutput)
{
    const Case cases[] = {
        // an input sequence, read per frame, with both placeholder spellings
        {"render --input @/in-####.png --frames 1-3 --out @/deep/er/o-%04d.png", 0, "", {"@/deep/er/o-0001.png", "@/deep/er/o-0003.png"},
         {}, "wrote 3 frames", -1, "", "@/in-0002.png=@/deep/er/o-0002.png"},
        {"render --input @/in-%04d.png --frames 1-3:2 --out @/s-##.png", 0, "", {"@/s-01.png", "@/s-03.png"}, {"@/s-02.png"}},
        {"render --input @/in-####.png --frames 2-4 --out @/m-####.png", 2, "frame 4: " , {"@/m-0002.png"}},
        {"render --size 4x4 --frames 3 --out @/n-####.png", 0, "", {"@/n-0000.png", "@/n-0002.png"}, {"@/n-0003.png"}, "wrote 3 frames"},
        {"render --size 4x4 --frames 1 --out @/one-####.png", 0, "", {"@/one-0000.png"}, {}, "wrote 1 frame to"},
        // layer 0 is the input itself: Shadertoy's iChannel0 over the footage
        {"render --code @/ichannel0.st.glsl --language shadertoy --input @/in-0001.png --layer 0=input --out @/l.png", 0, "",
         {"@/l.png"}, {}, "", -1, "", "@/in-0001.png=@/l.png"},
        {"render --code @/ichannel0.st.glsl --language shadertoy --input @/in-####.png --layer 0=input --frames 2-3 --out @/k-####.png",
         0, "", {}, {}, "", -1, "", "@/in-0003.png=@/k-0003.png"},
        {"render --input @/in-0001.png --layer 3=@/in-####.png --frames 1-2 --out @/j-####.png", 0, "", {"@/j-0002.png"}},
        // formats by extension; inputs in any of them
        {"render --input @/in.tif --depth 16 --out @/t.tif", 0, "", {"@/t.tif"}, {}, "(6x4, 16 bits)"},
        {"render --input @/in.tif --out @/t.jpg", 0, "", {"@/t.jpg"}},
        {"render --input @/in.tif --depth 16 --out @/t.dpx", 0, "", {"@/t.dpx"}},
        {"render --input @/in.tif --depth 32 --exr-half --out @/t.exr", 0, "", {"@/t.exr"}},
        {"render --input @/t.exr --out @/u.png", 0, "", {"@/u.png"}},
        // raw frames on standard output: RGBA at 1, 2 or 4 bytes a channel, in frame order
        {"render --size 4x2 --out -", 0, "wrote - (4x2, 8 bits)", {}, {}, "", 32},
        {"render --size 4x2 --depth 16 --out -", 0, "", {}, {}, "", 64},
        {"render --size 4x2 --depth 32 --frames 0-2 --threads 2 --out -", 0, "wrote 3 frames to standard output", {}, {}, "", 384},
        // what a script prints goes to standard error, never between the frames
        {"render --language lua --code @/print.lua --size 4x2 --frames 0-2 --out -", 0, "hello", {}, {}, "", 96},
    };
    for (const Case &c : cases)
        check(c);
}

// Every error that stops a script fails its frame, whatever raised it: the
// plug-in's argument checks, the refusals of what untrusted scripts may
// reach, the memory cap, refused patterns, Lua's own library. A text the
// script returns is no failure, nor is an error raised at level 0, which
// reads exactly like one.
TEST_F(CliCases, EveryErrorThatStopsAScriptFailsItsFrame)
{
    const struct {
        const char *script;
        int status;
        const char *message;
    } rows[] = {
        {"qv.setColor('ten', 0, 1, 1, 1, 1)", 1, "frame 0: [string \"qv.setColor('ten', 0, 1, 1, 1, 1)\"]:1: Wrong parameter type"},
        {"qv.ch('slider', 42)", 1, "Index should be an integer in range 0~9."},
        {"return qv.ch('slider', 42)", 1, "frame 0: [string \"return qv.ch('slider', 42)\"]: Index should be"},
        {"os.exit(1)", 1, "os.exit is not available"},
        {"os.execute('true')", 1, "os.execute is not allowed"},
        {"local f = io.open('/etc/passwd')", 1, "io.open is not allowed"},
        {"local s = qv.request.get(1, '127.0.0.1', 9, '/', '', '')", 1, "qv.request is not allowed"},
        {"setmetatable({}, {__gc = print})", 1, "Finalizers (__gc) are not available"},
        {"local s = string.rep('x', (1 << 30) + 1)", 1, "]:1: not enough memory"},
        {"local s = ('x'):rep(1 << 29) local t = s .. s .. s", 1, "frame 0: not enough memory\n"},
        {"local i = string.rep('a', 3000):find('.-.-.-.-.-.-b')", 1, "Pattern too complex"},
        {"local s = string.rep('x', 1 << 62)", 1, "resulting string too large"},
        {"return 'a text'", 0, ""},
        {"error('stop', 0)", 0, ""},
    };
    for (const auto &row : rows) {
        write("refused.lua", row.script);
        SCOPED_TRACE(row.script);
        int status = run("render --language lua --code @/refused.lua --size 4x4 --out @/refused.png");
        std::string err = read(path("stderr"));
        EXPECT_EQ(status, row.status) << err;
        EXPECT_NE(err.find(row.message), std::string::npos) << err;
    }
}

// A sequence keeps one frame size (its first frame's), a movie is refused
// rather than read as its first frame over and over, and without --depth the
// depth follows the input and the output type.
TEST_F(CliCases, SequencesMoviesAndTheDefaultDepth)
{
    for (int f = 1; f <= 3; ++f)
        qvh::writeImage(path("mix-000" + std::to_string(f) + ".png"), qvh::testPattern(f == 2 ? 5 : 4, 2), 8);
    qvh::writeImage(path("float.exr"), qvh::testPattern(4, 2), 32);
    /* a GIF of two 1x1 frames */
    write("anim.gif", std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff", 19) +
                          std::string("\x21\xf9\x04\x00\x0a\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                                      "\x02\x02\x44\x01\x00", 23) +
                          std::string("\x21\xf9\x04\x00\x0a\x00\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00"
                                      "\x02\x02\x4c\x01\x00\x3b", 24));
    const Case cases[] = {
        {"render --input @/mix-####.png --frames 1-3 --out @/x-####.png", 2,
         "frame 2: " + path("mix-0002.png") + ": 5x2, but the sequence's frames are 4x2", {"@/x-0001.png", "@/x-0003.png"},
         {"@/x-0002.png"}},
        {"render --input @/mix-####.png --frames 1-3 --out -", 2, "frame 2: ", {}, {}, "", 3 * 4 * 2 * 4},
        {"render --input @/in-0001.png --size 4x4 --out @/s.png", 2, "--size 4x4: the frame has the size of the --input",
         {}, {"@/s.png"}},
        {"render --input @/anim.gif --frames 0-1 --out @/g-####.png", 2, "extract its frames first", {}, {"@/g-0000.png"}},
        {"render --input @/in.tif --out @/d.png", 0, "", {"@/d.png"}, {}, "(6x4, 16 bits: the input holds 16 bits)"},
        {"render --input @/float.exr --out @/d.tif", 0, "", {"@/d.tif"}, {}, "(4x2, 32 bits: the input holds floats)"},
        {"render --size 4x2 --out @/d.exr", 0, "", {"@/d.exr"}, {}, "(4x2, 32 bits: the output type holds floats)"},
        {"render --input @/in-####.png --frames 1-2 --out @/e-####.exr", 0, "", {"@/e-0002.exr"}, {},
         "wrote 2 frames to " + path("e-####.exr") + " (32 bits: the output type holds floats)"},
        {"render --size 4x2 --depth 8 --out @/d8.exr", 0, "warning: --depth 8 puts 8-bit steps in a float file",
         {"@/d8.exr"}, {}, "(4x2, 8 bits)"},
        {"render --size 4x2 --out @/d8.png", 0, "", {"@/d8.png"}, {}, "(4x2, 8 bits)", -1, "warning"},
    };
    for (const Case &c : cases)
        check(c);
}

// Standard output holds frame 0 then frame 1 then frame 2 even when threads
// finish them out of order.
TEST_F(CliCases, StandardOutputFramesComeInOrder)
{
    write("t.glsl", "void main(){ outColor = vec4(time * 4.0, 0.0, 0.0, 1.0); }\n");
    ASSERT_EQ(run("render --code @/t.glsl --size 2x1 --fps 4 --frames 0-3 --threads 2 --out -"), 0)
        << read(path("stderr"));
    std::string out = read(path("stdout"));
    ASSERT_EQ(out.size(), 32u);
    for (int f = 0; f < 4; ++f)
        EXPECT_EQ(static_cast<unsigned char>(out[f * 8]), f == 0 ? 0 : 255) << f;  /* time*4 = f: clamps from 1 */
}

// On a terminal a frame range shows its progress with the elapsed time and
// an estimate, and the line is ended before the summary. `script` (bsdutils,
// essential in Debian) gives the render a terminal.
TEST_F(CliCases, ProgressLineOnATerminalEndsWithANewline)
{
    std::string render = std::string(QV_QVHOST_PATH) + " render --size 4x4 --frames 0-2 --out " + path("p-####.png");
    std::string line = "script -qec \"" + render + "\" /dev/null >" + path("tty");
    ASSERT_EQ(std::system(line.c_str()), 0) << read(path("tty"));
    std::string tty = read(path("tty"));
    static const std::regex progress(R"(\rrendered 3/3 frames \(100%\), \d+:\d\d elapsed, about 0:00 left)");
    EXPECT_TRUE(std::regex_search(tty, progress)) << tty;  /* the elapsed time is the machine's */
    std::size_t summary = tty.find("wrote 3 frames");
    ASSERT_NE(summary, std::string::npos) << tty;
    EXPECT_EQ(tty.substr(summary - 2, 2), "\r\n");  /* the progress line was ended (the terminal adds \r) */
}

// Text from code, scripts and projects reaches the terminal with its control
// characters escaped, so none of them can rewrite qvhost's own lines; line
// feeds and tabs stay, so messages and code still read.
TEST_F(CliCases, ControlCharactersOfCodeAndMessagesAreEscaped)
{
    write("esc.lua", "qv.in2out()\n-- \x1b]0;title\x07\r\nqv.debug.add('log \\27[2J')\nerror('boom \\27[31m\\r\\7 x\\n\\ty')\n");
    check({"project new @/esc.json --code @/esc.lua --language lua", 0, "", {"@/esc.json"}});
    const struct {
        const char *command;
        int status;
        const char *shows;
    } rows[] = {
        {"render --code @/esc.lua --language lua --size 4x4 --out @/e.png", 1, "boom \\x1b[31m\\r\\a x\n\ty"},
        {"render --code @/esc.lua --language lua --size 4x4 --debug --out @/e.png", 1, "log \\x1b[2J"},
        {"project show @/esc.json", 0, "-- \\x1b]0;title\\a\\r\nqv.debug.add"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(run(row.command), row.status) << row.command;
        std::string printed = read(path("stdout")) + read(path("stderr"));
        EXPECT_NE(printed.find(row.shows), std::string::npos) << row.command << "\n" << printed;
        EXPECT_EQ(printed.find_first_of("\x1b\r\a"), std::string::npos) << row.command << "\n" << printed;
    }
}

// A few hundred bytes of image header cannot make qvhost take gigabytes: the
// read is refused from the header, a mistake in the input (status 2), well
// within a memory limit that the decoded pixels would pass.
TEST_F(CliCases, ImagesTooLargeOnceDecodedAreRefusedBeforeReading)
{
    declared_tiff::write(path("channels.tif"), 2048, 2048, 256);
    declared_tiff::write(path("grey.tif"), 16384, 16384, 1);
    for (const char *name : {"channels.tif", "grey.tif"}) {
        std::string line = std::string(QV_QVHOST_PATH) + " render --input " + path(name) + " --out " + path("o.png") +
                           " 2>" + path("stderr");
#if !defined(__SANITIZE_ADDRESS__)  /* AddressSanitizer's shadow memory does not fit under a limit */
        line = "ulimit -v 3000000; exec " + line;
#endif
        int status = std::system(("sh -c '" + line + "'").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << read(path("stderr"));
        EXPECT_EQ(WEXITSTATUS(status), 2) << name;
        std::string err = read(path("stderr"));
        EXPECT_NE(err.find(path(name) + ": the image declares "), std::string::npos) << err;
        EXPECT_NE(err.find("2048 MB of decoded pixels"), std::string::npos) << err;
    }
}

// Memory that runs out gives a message and status 1, never an abort.
TEST_F(CliCases, RunningOutOfMemoryIsAFailureNotACrash)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves terabytes of shadow memory, which a memory limit refuses";
#endif
    std::string line = "ulimit -v 2000000; exec " + std::string(QV_QVHOST_PATH) + " render --size 12000x12000 --out " +
                       path("big.png") + " 2>" + path("stderr");
    int status = std::system(("sh -c '" + line + "'").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << read(path("stderr"));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(read(path("stderr")).find("out of memory"), std::string::npos) << read(path("stderr"));
}

// Ctrl-C is the host's abort: the Lua frame in progress stops, the frames
// written stay, and the status is 130.
TEST_F(CliCases, InterruptStopsTheRenderAndKeepsTheFramesWritten)
{
    pid_t child = ::fork();
    if (child == 0) {
        std::string err = path("stderr");
        std::freopen(err.c_str(), "w", stderr);
        std::string code = path("hang.lua"), out = path("h-####.png");
        ::execl(QV_QVHOST_PATH, "qvhost", "render", "--language", "lua", "--code", code.c_str(), "--size", "4x4",
                "--frames", "0-3", "--out", out.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 600 && !exists(path("h-0001.png")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(exists(path("h-0001.png")));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  /* into frame 2's endless loop */
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << read(path("stderr"));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    std::string err = read(path("stderr"));
    EXPECT_NE(err.find("qvhost render: interrupted"), std::string::npos) << err;
    EXPECT_TRUE(exists(path("h-0000.png")));
    EXPECT_FALSE(exists(path("h-0002.png")));
    EXPECT_FALSE(exists(path("h-0003.png")));
}

// A frame that no abort can stop (a read from standard input, a pipe the
// test holds open, blocks inside C) ends at the second Ctrl-C, at once,
// without the orderly summary.
TEST_F(CliCases, ASecondInterruptEndsTheProcessAtOnce)
{
    write("stuck.lua", "io.open('" + path("ready") + "', 'w'):close()\n"
                       "io.read('a')\n");
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(input[0], 0);
        std::string err = path("stderr");
        std::freopen(err.c_str(), "w", stderr);
        std::string code = path("stuck.lua"), out = path("s.png");
        ::execl(QV_QVHOST_PATH, "qvhost", "render", "--language", "lua", "--allow-script-access", "--code",
                code.c_str(), "--size", "4x4", "--out", out.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 600 && !exists(path("ready")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(exists(path("ready")));
    ::kill(child, SIGINT);
    for (int i = 0; i < 100 && read(path("stderr")).find("Ctrl-C again") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(child, SIGINT);
    int status = 0;
    for (int i = 0; i < 300 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (::waitpid(child, &status, WNOHANG) == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "still running 30 s after the second Ctrl-C";
    }
    ASSERT_TRUE(WIFEXITED(status)) << read(path("stderr"));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    std::string err = read(path("stderr"));
    EXPECT_NE(err.find("Ctrl-C again"), std::string::npos) << err;
    EXPECT_EQ(err.find("qvhost render: interrupted"), std::string::npos) << err;
    ::close(input[0]);
    ::close(input[1]);
}

// Ctrl-C, SIGTERM and SIGHUP alike stop the render through the host's
// abort: the frames written are whole images, no temporary is left, and the
// status is the shell's for the signal (128 + its number).
TEST_F(CliCases, SignalsStopTheRenderLeavingWholeFiles)
{
    const struct { int signal, status; } cases[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto &c : cases) {
        SCOPED_TRACE(::strsignal(c.signal));
        std::string folder = path("sig" + std::to_string(c.signal)), out = folder + "/h-####.png";
        std::string code = path("hang.lua"), err = folder + ".stderr";
        pid_t child = ::fork();
        if (child == 0) {
            std::freopen(err.c_str(), "w", stderr);
            ::execl(QV_QVHOST_PATH, "qvhost", "render", "--language", "lua", "--code", code.c_str(), "--size",
                    "300x200", "--frames", "0-3", "--out", out.c_str(), static_cast<char *>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 600 && !exists(folder + "/h-0001.png"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::kill(child, c.signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << read(err);
        EXPECT_EQ(WEXITSTATUS(status), c.status) << read(err);
        EXPECT_TRUE(temporaries(folder).empty());
        EXPECT_TRUE(exists(folder + "/h-0000.png") && exists(folder + "/h-0001.png"));
        EXPECT_FALSE(exists(folder + "/h-0002.png"));
        for (const std::string &name : names(folder)) {
            SCOPED_TRACE(name);
            EXPECT_NO_THROW(EXPECT_EQ(qvh::readImage(folder + "/" + name).width, 300));  /* a truncated file throws */
        }
    }
}

// A write that fails leaves the file that was there as it was, removes its
// temporary, names the file the user gave, and the status is 1.
TEST_F(CliCases, AFailedWriteKeepsTheOldFile)
{
    std::string qvhost = QV_QVHOST_PATH;
    ASSERT_EQ(run("render --size 4x4 --out @/keep.png"), 0) << read(path("stderr"));
    std::string good = read(path("keep.png"));
    ::mkdir(path("dir.png").c_str(), 0755);
    const struct { std::string command, stderrHas; } cases[] = {
        // a file size limit (which binds root too) stops the write midway
        {"sh -c 'trap \"\" XFSZ; ulimit -f 1; exec " + qvhost + " render --size 512x512 --out " + path("keep.png") + "' 2>&1",
         path("keep.png") + ": "},
        {qvhost + " render --size 4x4 --out " + path("dir.png") + " 2>&1", path("dir.png") + ": cannot replace the file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        CommandRun r = runCommand(c.command);
        EXPECT_EQ(r.status, 1) << r.output;
        EXPECT_NE(r.output.find(c.stderrHas), std::string::npos) << r.output;
        EXPECT_EQ(r.output.find(".qvtmp-"), std::string::npos) << r.output;
        EXPECT_EQ(read(path("keep.png")), good);
        EXPECT_TRUE(temporaries(dir_).empty());
    }
}

} // namespace
