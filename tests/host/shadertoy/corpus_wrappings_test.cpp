// The corpus through the engine: which wrapping each shader compiles with,
// so the corpus keeps exercising both.
#include "common/engine_fixture.h"
#include "host/shadertoy_wrapping.h"
#include "translate/identifier_rewrite.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string convertedFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::string code = text.str();
    qv::ShadertoyTranslator(code);
    return code;
}

// A pass of the suite's engine into `frame`, as the render driver runs it.
qv::ShadertoyPass enginePass(Frame &frame)
{
    return [&frame](const std::string &source) {
        return qv::RenderAndTakeErrors(EngineTest::engine(), source, &frame.ctx, true);
    };
}

TEST_F(EngineTest, CorpusCompilesWithBothWrappings)
{
    qv::WrappingMemory memory;
    size_t ordinary = 0, full = 0;
    for (const auto &entry : fs::directory_iterator(fs::path(QV_TEST_DATA_DIR) / "shadertoy")) {
        if (entry.path().extension() != ".glsl")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        Frame frame(32, 18, 8);
        frame.ctx.time = 1.25;
        std::string code = convertedFile(entry.path());
        EXPECT_EQ(qv::renderShadertoy(code, memory, enginePass(frame)).log, "");
        qv::WrappingMemory::Need need = memory.need(code);
        EXPECT_NE(need, qv::WrappingMemory::Need::Neither);
        (need == qv::WrappingMemory::Need::Full ? full : ordinary) += 1;
    }
    std::cout << ordinary << " shaders compile with the ordinary wrapping, " << full << " need the full one\n";
    EXPECT_GE(full, 15u);
    EXPECT_GE(ordinary, 15u);
}

TEST_F(EngineTest, ShadertoyExamplesNeedTheFullWrapping)
{
    qv::WrappingMemory memory;
    for (const char *name : {"clock", "orbit", "checker_tunnel", "lens"}) {
        SCOPED_TRACE(name);
        Frame frame(32, 18, 8);
        std::string code = convertedFile(fs::path(QV_SOURCE_DIR) / "examples" / (std::string(name) + ".shadertoy.glsl"));
        EXPECT_EQ(qv::renderShadertoy(code, memory, enginePass(frame)).log, "");
        EXPECT_EQ(memory.need(code), qv::WrappingMemory::Need::Full);
    }
}

} // namespace
