// The choice between the two wrappings, with a scripted compiler in place of
// the engine: which sources each frame compiles and what it reports. The
// same with GL and real shaders is in tests/shadertoy.
#include "host/shadertoy_wrapping.h"
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <gtest/gtest.h>

namespace {

using Need = qv::WrappingMemory::Need;
using qv::PassReport;
using qv::PassResult;

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
    PassReport ordinaryAnswer, fullAnswer;
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
    PassReport ordinaryAnswer, fullAnswer;
    bool fullUsed;                          // the first frame compiles the full wrapping too
    Need remembered;
    PassReport reported;                    // on every frame
    bool laterFramesFull;                   // the source of later frames
};

void expectReport(const PassReport &actual, const PassReport &expected)
{
    EXPECT_EQ(actual.result, expected.result);
    EXPECT_EQ(actual.log, expected.log);
}

TEST(ShadertoyFallback, ChoosesTheWrappingAndRemembersIt)
{
    const std::string code = "void mainImage(out vec4 c, in vec2 p) { c = vec4(iResolution.z); }";
    const PassReport ran{PassResult::Ran, ""};
    const PassReport noMemory{PassResult::Ran, "GLSL Core error : Memory not enough.\n"};
    const PassReport compileFailed{PassResult::CompileFailed, kCompileError + kLinkError};
    const FallbackCase cases[] = {
        {"compiles today", ran, {PassResult::CompileFailed, kCompileError}, false, Need::Ordinary, ran, false},
        {"ordinary fails after compiling", noMemory, ran, false, Need::Ordinary, noMemory, false},
        {"needs the full wrapping", compileFailed, ran, true, Need::Full, ran, true},
        {"needs it only to link", {PassResult::LinkFailed, kLinkError}, ran, true, Need::Full, ran, true},
        {"compiles with neither", compileFailed, {PassResult::CompileFailed, "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\nother\n"},
         true, Need::Neither, compileFailed, false},
        {"links with neither", {PassResult::LinkFailed, kLinkError}, {PassResult::LinkFailed, kLinkError}, true,
         Need::Neither, {PassResult::LinkFailed, kLinkError}, false},
        {"stopped by the host", {PassResult::Stopped, ""}, ran, false, Need::Ordinary, {PassResult::Stopped, ""},
         false},
        {"refused before compiling", {PassResult::Refused, "QUORVEL_INNER_ERROR::\nOutput buffer crashed."}, ran,
         false, Need::Ordinary, {PassResult::Refused, "QUORVEL_INNER_ERROR::\nOutput buffer crashed."}, false},
    };
    for (const FallbackCase &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCompiler compiler{c.ordinaryAnswer, c.fullAnswer, {}};
        qv::WrappingMemory memory;
        expectReport(qv::renderShadertoy(code, memory, compiler.pass()), c.reported);
        std::vector<std::string> first = {ordinary(code)};
        if (c.fullUsed)
            first.push_back(full(code));
        EXPECT_EQ(compiler.sources, first);
        EXPECT_EQ(memory.need(code), c.remembered);
        for (int frame = 0; frame < 2; ++frame) {
            compiler.sources.clear();
            expectReport(qv::renderShadertoy(code, memory, compiler.pass()), c.reported);
            EXPECT_EQ(compiler.sources, std::vector<std::string>{c.laterFramesFull ? full(code) : ordinary(code)});
        }
    }
}

// A code remembered as needing the full wrapping that no longer compiles
// with it is looked at afresh in the same frame.
TEST(ShadertoyFallback, ARememberedCodeThatStopsCompilingIsLookedAtAgain)
{
    const std::string code = "x";
    ScriptedCompiler compiler{{PassResult::Ran, ""}, {PassResult::CompileFailed, kCompileError}, {}};
    qv::WrappingMemory memory;
    memory.remember(code, Need::Full);
    expectReport(qv::renderShadertoy(code, memory, compiler.pass()), {PassResult::Ran, ""});
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
