// The corpus through the engine: which wrapping each shader compiles with,
// so the corpus keeps exercising both.
#include "engine/engine_fixture.h"
#include "translate/shadertoy_fallback.h"
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
        auto pass = [&frame](const std::string &source) {
            engine().render(source, &frame.ctx, true);
            std::vector<std::string> messages;
            while (engine().hasError())
                messages.push_back(engine().popError());
            return messages;
        };
        EXPECT_EQ(qv::renderShadertoy(code, memory, pass), std::nullopt);
        qv::WrappingMemory::Need need = memory.need(code);
        EXPECT_NE(need, qv::WrappingMemory::Need::Neither);
        (need == qv::WrappingMemory::Need::Full ? full : ordinary) += 1;
    }
    std::cout << ordinary << " shaders compile with the ordinary wrapping, " << full << " need the full one\n";
    EXPECT_GE(full, 15u);
    EXPECT_GE(ordinary, 15u);
}

} // namespace
