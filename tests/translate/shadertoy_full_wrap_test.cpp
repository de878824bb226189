// The full render-time wrapping: pure text, no GL (the values each input
// reads are checked with GL in tests/shadertoy).
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string fullyWrapped(std::string code)
{
    qv::wrapShadertoyCodeFull(code);
    return code;
}

size_t occurrences(const std::string &text, const std::string &needle)
{
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// Everything but #extension lines (see below) is kept as it is.
TEST(ShadertoyFullWrap, KeepsEveryByteOfTheCodeBetweenHeadAndTail)
{
    std::string code("#define A 1\na\0b\r\n\t\xff", 19);
    EXPECT_EQ(fullyWrapped(code), qv::kShadertoyFullHead + code + qv::kShadertoyFullTail);
}

// The code's first line may be a directive: it must start a line of its own.
TEST(ShadertoyFullWrap, HeadEndsALineAndCallsMainImageLikeTheOrdinaryOne)
{
    std::string head = qv::kShadertoyFullHead;
    EXPECT_EQ(head.back(), '\n');
    EXPECT_EQ(std::string(qv::kShadertoyFullTail), std::string(qv::kShadertoyTail));
}

// Every input the website gives a single-pass shader is defined once.
TEST(ShadertoyFullWrap, DefinesEveryWebsiteInputOnce)
{
    const std::string head = qv::kShadertoyFullHead;
    for (const char *input : {"iResolution", "iTime", "iGlobalTime", "iTimeDelta", "iFrameRate", "iFrame", "iMouse",
                              "iDate", "iSampleRate", "iChannelTime", "iChannelResolution", "iChannel0", "iChannel1",
                              "iChannel2", "iChannel3", "iChannel9", "HW_PERFORMANCE"}) {
        SCOPED_TRACE(input);
        EXPECT_EQ(occurrences(head, std::string("#define ") + input + " "), 1u);
    }
}

struct ExtensionCase {
    const char *code;
    const char *expected;
};

TEST(ShadertoyFullWrap, AdaptsExtensionAndInputDirectivesOnly)
{
    const ExtensionCase cases[] = {
        {"#extension GL_OES_standard_derivatives : enable\nfloat a;", "//extension GL_OES_standard_derivatives : enable\nfloat a;"},
        {"  \t# extension GL_EXT_shader_texture_lod : require", "  \t// extension GL_EXT_shader_texture_lod : require"},
        {"float a;\r\n#extension X : enable\r\n#extension Y : enable", "float a;\r\n//extension X : enable\r\n//extension Y : enable"},
        {"#define extension 1\nint b = 2; // #extension\n#extensions", "#define extension 1\nint b = 2; // #extension\n#extensions"},
        {"#define iResolution vec3(800.0, 450.0, 1.0)\n", "#undef iResolution\n#define iResolution vec3(800.0, 450.0, 1.0)\n"},
        {"x;\n  # define iMouse(a) a\n#define iMouseX 1\n#undef iTime", "x;\n#undef iMouse\n  # define iMouse(a) a\n#define iMouseX 1\n#undef iTime"},
        {"#define R iResolution\n#ifdef iTime\n#endif", "#define R iResolution\n#ifdef iTime\n#endif"},
        {"#", "#"},
        {"", ""},
    };
    for (const ExtensionCase &c : cases) {
        SCOPED_TRACE(c.code);
        std::string code = c.code;
        qv::adaptDirectives(code);
        EXPECT_EQ(code, c.expected);
        EXPECT_EQ(fullyWrapped(c.code), qv::kShadertoyFullHead + std::string(c.expected) + qv::kShadertoyFullTail);
    }
}

} // namespace
