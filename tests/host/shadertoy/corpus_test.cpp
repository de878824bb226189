// Single-pass shaders written the way the Shadertoy website's are, pasted
// into the effect as a user does (code set, then the Shadertoy language
// picked, which converts it) and rendered through the built plug-in.
#include "common/render_fixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusFiles()
{
    std::vector<fs::path> files;
    for (const auto &entry : fs::directory_iterator(fs::path(QV_TEST_DATA_DIR) / "shadertoy"))
        if (entry.path().extension() == ".glsl")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Distinct pixels of an 8-bit frame, up to `enough`.
size_t distinctPixels(const qvh::World &w, size_t enough)
{
    std::set<std::vector<unsigned char>> seen;
    for (A_long y = 0; y < w.height() && seen.size() < enough; ++y)
        for (A_long x = 0; x < w.width(); ++x) {
            const unsigned char *p = w.pixelAddress(x, y);
            seen.insert(std::vector<unsigned char>(p, p + 4));
        }
    return seen.size();
}

class ShadertoyCorpus : public RenderTest {
protected:
    // Pastes the code and picks the Shadertoy language, as a user does.
    void paste(const std::string &code)
    {
        setLanguage(qv::Language::Glsl);
        setCode(code);
        setLanguage(qv::Language::Shadertoy);
        ASSERT_EQ(instance().userChangedParam(qv::kLanguageParam).err, PF_Err_NONE);
    }

    qvh::FrameResult renderAt(double seconds)
    {
        qvh::Composition comp;
        comp.width = 96, comp.height = 54;
        return render(comp, seconds);
    }
};

TEST_F(ShadertoyCorpus, EveryShaderRendersWithoutMessages)
{
    openDebugWindow();
    std::vector<fs::path> files = corpusFiles();
    ASSERT_GE(files.size(), 50u);
    size_t rendered = 0;
    for (const fs::path &file : files) {
        SCOPED_TRACE(file.filename().string());
        paste(readFile(file));
        size_t logsBefore = logScripts().size();
        qvh::FrameResult r = renderAt(1.25);
        ASSERT_EQ(r.err(), PF_Err_NONE) << r.message;
        std::vector<std::string> logs = logScripts();
        EXPECT_EQ(logs.size(), logsBefore) << logs.back();
        ASSERT_TRUE(r.output);
        EXPECT_GE(distinctPixels(*r.output, 2), 2u) << "a flat frame: nothing drawn";
        rendered += logs.size() == logsBefore;
    }
    std::cout << rendered << " of " << files.size() << " shaders rendered\n";
}

// The examples that need the full wrapping render as well.
TEST_F(ShadertoyCorpus, ExamplesRender)
{
    openDebugWindow();
    for (const char *name : {"clock.shadertoy.glsl", "orbit.shadertoy.glsl", "checker_tunnel.shadertoy.glsl",
                             "lens.shadertoy.glsl"}) {
        SCOPED_TRACE(name);
        paste(readFile(fs::path(QV_SOURCE_DIR) / "examples" / name));
        size_t logsBefore = logScripts().size();
        qvh::FrameResult r = renderAt(2.0);
        ASSERT_EQ(r.err(), PF_Err_NONE) << r.message;
        EXPECT_EQ(logScripts().size(), logsBefore);
        ASSERT_TRUE(r.output);
        EXPECT_GE(distinctPixels(*r.output, 2), 2u);
    }
}

// Through the plug-in, code that neither wrapping compiles reports the
// ordinary wrapping's messages, the same on every frame.
TEST_F(ShadertoyCorpus, BrokenCodeReportsTheSameMessagesEachFrame)
{
    openDebugWindow();
    paste("void mainImage(out vec4 fragColor, in vec2 fragCoord)\n{\n    fragColor = vec4(iResolution.z) + nothing;\n}\n");
    renderAt(0.0);
    renderAt(0.5);
    std::vector<std::string> logs = logScripts();
    ASSERT_EQ(logs.size(), 2u);
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_NE(logs[0].find("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\\n"), std::string::npos) << logs[0];
    EXPECT_NE(logs[0].find("nothing"), std::string::npos) << logs[0];
}

} // namespace
