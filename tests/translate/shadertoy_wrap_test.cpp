// The render-time wrapping: pure text, no GL.
#include "translate/shadertoy_wrap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kHead =
    "\n#define iResolution resolution\n#define iTime time\n#define iMouse point[0]\n"
    "#define iTimeDelta (1/fps)\n#define iFrame (fps*time)\n    ";
const std::string kTail = "\nvoid main(){\nmainImage(outColor,uv2xy(uv));\n}\n";

std::string wrapped(std::string code)
{
    qv::wrapShadertoyCode(code);
    return code;
}

TEST(ShadertoyWrap, PutsDefinesBeforeAndMainAfter)
{
    std::string code = "void mainImage(out vec4 fragColor, in vec2 fragCoord){ fragColor = vec4(1.0); }";
    EXPECT_EQ(wrapped(code), kHead + code + kTail);
}

TEST(ShadertoyWrap, HeadEndsInFourSpacesSoTheFirstLineContinuesIt)
{
    std::string out = wrapped("float a;");
    EXPECT_NE(out.find("#define iFrame (fps*time)\n    float a;"), std::string::npos);
}

TEST(ShadertoyWrap, ExactTexts)
{
    EXPECT_EQ(std::string(qv::kShadertoyHead), kHead);
    EXPECT_EQ(std::string(qv::kShadertoyTail), kTail);
    EXPECT_EQ(kHead.back(), ' ');
}

TEST(ShadertoyWrap, EmptyCodeGetsOnlyTheWrapping)
{
    EXPECT_EQ(wrapped(""), kHead + kTail);
}

TEST(ShadertoyWrap, KeepsEveryByteOfTheCode)
{
    std::string code("a\0b\r\n\t\xff", 7);
    EXPECT_EQ(wrapped(code), kHead + code + kTail);
}

TEST(ShadertoyWrap, RewritesNothingInsideTheCode)
{
    std::string code = "vec3 r = iResolution; float t = iTime; // iChannel0 stays for the edit-time rewrite\n";
    std::string out = wrapped(code);
    EXPECT_EQ(out.substr(kHead.size(), code.size()), code);
}

TEST(ShadertoyWrap, WrappingTwiceNestsTheBlocks)
{
    std::string once = wrapped("x");
    EXPECT_EQ(wrapped(once), kHead + kHead + "x" + kTail + kTail);
}

} // namespace
