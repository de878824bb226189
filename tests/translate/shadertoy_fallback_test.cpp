// The choice between the two wrappings, with a scripted compiler in place of
// the engine: which sources each frame compiles and what it reports. The
// same with GL and real shaders is in tests/shadertoy.
#include "translate/shadertoy_fallback.h"
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <gtest/gtest.h>

namespace {

using Need = qv::WrappingMemory::Need;

const std::string kCompileError = "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\nline 3\n";
const std::string kLinkError = "ERROR::SHADER::PROGRAM::LINKING_FAILED\nno main\n";

std::string ordinary(std::string code)
{
    qv::wrapShadertoyCode(code);
    return code;
}

std::string full(std::string code)
{
    qv::wrapShadertoyCodeFull(code);
    return code;
}

// Answers each wrapping as told, and records the sources it was given.
struct ScriptedCompiler {
    std::vector<std::string> ordinaryAnswer, fullAnswer;
    std::vector<std::string> sources;

    qv::ShadertoyPass pass()
    {
        return [this](const std::string &source) {
            sources.push_back(source);
            bool isFull = source.rfind(qv::kShadertoyFullHead, 0) == 0;
            return isFull ? fullAnswer : ordinaryAnswer;
        };
    }
};

struct FallbackCase {
    const char *name;
    std::vector<std::string> ordinaryAnswer, fullAnswer;
    bool fullUsed;                          // the first frame compiles the full wrapping too
    Need remembered;
    std::optional<std::string> reported;    // on every frame
    bool laterFramesFull;                   // the source of later frames
};

TEST(ShadertoyFallback, ChoosesTheWrappingAndRemembersIt)
{
    const std::string code = "void mainImage(out vec4 c, in vec2 p) { c = vec4(iResolution.z); }";
    const FallbackCase cases[] = {
        {"compiles today", {}, {kCompileError}, false, Need::Ordinary, std::nullopt, false},
        {"ordinary fails after compiling", {"GLSL Core error : Memory not enough.\n"}, {}, false, Need::Ordinary,
         "GLSL Core error : Memory not enough.\n", false},
        {"needs the full wrapping", {kCompileError, kLinkError}, {}, true, Need::Full, std::nullopt, true},
        {"needs it only to link", {kLinkError}, {}, true, Need::Full, std::nullopt, true},
        {"compiles with neither", {kCompileError, kLinkError}, {"ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\nother\n"},
         true, Need::Neither, kCompileError + kLinkError, false},
    };
    for (const FallbackCase &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCompiler compiler{c.ordinaryAnswer, c.fullAnswer, {}};
        qv::WrappingMemory memory;
        EXPECT_EQ(qv::renderShadertoy(code, memory, compiler.pass()), c.reported);
        std::vector<std::string> first = {ordinary(code)};
        if (c.fullUsed)
            first.push_back(full(code));
        EXPECT_EQ(compiler.sources, first);
        EXPECT_EQ(memory.need(code), c.remembered);
        for (int frame = 0; frame < 2; ++frame) {
            compiler.sources.clear();
            EXPECT_EQ(qv::renderShadertoy(code, memory, compiler.pass()), c.reported);
            EXPECT_EQ(compiler.sources, std::vector<std::string>{c.laterFramesFull ? full(code) : ordinary(code)});
        }
    }
}

// A code remembered as needing the full wrapping that no longer compiles
// with it is looked at afresh in the same frame.
TEST(ShadertoyFallback, ARememberedCodeThatStopsCompilingIsLookedAtAgain)
{
    const std::string code = "x";
    ScriptedCompiler compiler{{}, {kCompileError}, {}};
    qv::WrappingMemory memory;
    memory.remember(code, Need::Full);
    EXPECT_EQ(qv::renderShadertoy(code, memory, compiler.pass()), std::nullopt);
    EXPECT_EQ(compiler.sources, (std::vector<std::string>{full(code), ordinary(code)}));
    EXPECT_EQ(memory.need(code), Need::Ordinary);
}

TEST(WrappingMemory, KeepsTheNewestCodesOnly)
{
    qv::WrappingMemory memory;
    for (int i = 0; i < 40; ++i)
        memory.remember("code " + std::to_string(i), i % 2 ? Need::Full : Need::Neither);
    EXPECT_EQ(memory.size(), 32u);
    EXPECT_EQ(memory.need("code 0"), Need::Ordinary);
    EXPECT_EQ(memory.need("code 39"), Need::Full);
    EXPECT_EQ(memory.need("code 38"), Need::Neither);
    memory.remember("code 38", Need::Full);
    EXPECT_EQ(memory.size(), 32u);
    EXPECT_EQ(memory.need("code 38"), Need::Full);
}

TEST(WrappingMemory, KeepsAtMostOneMebibyteOfCode)
{
    qv::WrappingMemory memory;
    const std::string big(400 * 1024, 'a');
    for (char c : {'x', 'y', 'z'})
        memory.remember(big + c, Need::Full);
    EXPECT_EQ(memory.size(), 2u);
    EXPECT_EQ(memory.need(big + 'x'), Need::Ordinary);
    EXPECT_EQ(memory.need(big + 'z'), Need::Full);
    memory.remember(std::string((1 << 20) + 1, 'b'), Need::Full);
    EXPECT_EQ(memory.size(), 2u);
    memory.forget(big + 'y');
    memory.forget(big + 'z');
    memory.remember(std::string(1 << 20, 'c'), Need::Neither);
    EXPECT_EQ(memory.need(std::string(1 << 20, 'c')), Need::Neither);
}

} // namespace
