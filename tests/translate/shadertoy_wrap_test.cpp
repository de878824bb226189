// The render-time wrapping: pure text, no GL.
#include "translate/shadertoy_wrap.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the wrapping puts around the code: the dialect's inputs as defines
// (ending in four spaces, so the code's first line continues that line) and
// a main() that calls mainImage.
const std::string kHead =
    "\n#define iResolution resolution\n#define iTime time\n#define iMouse point[0]\n"
    "#define iTimeDelta (1/fps)\n#define iFrame (fps*time)\n    ";
const std::string kTail = "\nvoid main(){\nmainImage(outColor,uv2xy(uv));\n}\n";

std::string wrapped(std::string code)
{
    qv::wrapShadertoyCode(code);
    return code;
}

// The code sits between head and tail with every byte as it was: nothing
// inside it is rewritten (that is the edit-time conversion's job).
TEST(ShadertoyWrap, CodeSitsUnchangedBetweenDefinesAndMain)
{
    const std::string codes[] = {
        "void mainImage(out vec4 fragColor, in vec2 fragCoord){ fragColor = vec4(1.0); }",
        "",
        std::string("a\0b\r\n\t\xff", 7),
        "vec3 r = iResolution; float t = iTime; // iChannel0 stays for the edit-time rewrite\n",
    };
    for (const std::string &code : codes)
        EXPECT_EQ(wrapped(code), kHead + code + kTail) << code;
}

TEST(ShadertoyWrap, WrappingTwiceNestsTheBlocks)
{
    std::string once = wrapped("x");
    EXPECT_EQ(wrapped(once), kHead + kHead + "x" + kTail + kTail);
}

} // namespace
