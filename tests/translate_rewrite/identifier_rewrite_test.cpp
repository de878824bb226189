#include "translate/identifier_rewrite.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char *input;
    const char *expected;
};

std::string translated(std::string text)
{
    qv::ShadertoyTranslator(text);
    return text;
}

std::string renamed(std::string text, const char *name)
{
    qv::RewriteName(text, name, std::string("qv_user_") + name);
    return text;
}

TEST(RewriteNameTest, RenamesEveryOccurrenceBetweenNonIdentifierCharacters)
{
    const Case cases[] = {
        {"float time = 1.0;", "float qv_user_time = 1.0;"},
        {"x=time*time;", "x=qv_user_time*qv_user_time;"},
        {"(time)(time) time,time\ntime;", "(qv_user_time)(qv_user_time) qv_user_time,qv_user_time\nqv_user_time;"},
        {"time = 1; x = time", "time = 1; x = time"},  /* nothing before the first, nothing after the last */
        {"iTime Time mytime time2 $time _time", "iTime Time mytime time2 $time _time"},
        {" qv_user_time ", " qv_user_time "},
    };
    for (const Case &c : cases)
        EXPECT_EQ(renamed(c.input, "time"), c.expected) << c.input;
    EXPECT_EQ(renamed(" color.rgb mycolor color2", "color"), " qv_user_color.rgb mycolor color2");
}

TEST(RegexReplaceTest, ReplacesAllMatchesWithGroups)
{
    std::string text = "a1 b2 c3";
    qv::RegexReplace(text, "([a-z])([0-9])", "$2$1");
    EXPECT_EQ(text, "1a 2b 3c");
}

TEST(ShadertoyTranslatorTest, RenamesReservedNamesAndMapsTheChannels)
{
    const Case cases[] = {
        {"texture(iChannel0, p)", "texture(layer[0], p)"},
        {"texture(iChannel0, uv)", "texture(layer[0], qv_user_uv)"},
        {" iChannelResolution[ 2 ].x", " layerResolution[2].x"},
        {" iChannelTime[1]*2.", " time*2."},
        {"float time = iTime;\nx=time*time;", "float qv_user_time = iTime;\nx=qv_user_time*qv_user_time;"},
        {"x=time*time;", "x=qv_user_time*qv_user_time;"},
        {" point3d(color, width) ", " qv_user_point3d(qv_user_color, qv_user_width) "},
        {"nothing to do", "nothing to do"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(translated(c.input), c.expected) << c.input;
}

// Code as a user pastes it from the website, and the same shape without its
// own declarations: layer and time that the engine owns.
const char *const kShaders[] = {
    "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n{\n"
    "    vec2 uv = fragCoord / iResolution.xy;\n"
    "    float time = iTime + iChannelTime[0];\n"
    "    vec4 layer = texture(iChannel1, uv) * iChannelResolution[1].x;\n"
    "    fragColor = layer * sin(time) + vec4(time*time);\n}\n",
    "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n{\n"
    "    fragColor = vec4(sin(iChannelTime[3]));\n}\n",
    "texture(iChannel0, p) * iChannelTime[0] // the engine's time\n",
    "vec4 c = texture(iChannel2, fragCoord / iChannelResolution [ 2 ]);\n",
};

TEST(ShadertoyTranslatorTest, ConvertingTwiceGivesWhatConvertingOnceGives)
{
    for (const char *shader : kShaders) {
        std::string once = translated(shader);
        EXPECT_EQ(translated(once), once) << shader;
    }
}

TEST(ShadertoyTranslatorTest, TheChannelOutputsOfAnEarlierConversionStayUnprefixed)
{
    EXPECT_EQ(translated(kShaders[0]),
              "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n{\n"
              "    vec2 qv_user_uv = fragCoord / iResolution.xy;\n"
              "    float qv_user_time = iTime + time;\n"
              "    vec4 qv_user_layer = texture(layer[1], qv_user_uv) * layerResolution[1].x;\n"
              "    fragColor = qv_user_layer * sin(qv_user_time) + vec4(qv_user_time*qv_user_time);\n}\n");
    EXPECT_EQ(translated(kShaders[1]),
              "void mainImage(out vec4 fragColor, in vec2 fragCoord)\n{\n    fragColor = vec4(sin(time));\n}\n");
}

TEST(ShadertoyTranslatorTest, ADeclarationInAShaderRenamesThatName)
{
    EXPECT_EQ(translated("void mainImage(out vec4 fragColor, in vec2 fragCoord) { float layer[2]; layer[0] = 1.; }"),
              "void mainImage(out vec4 fragColor, in vec2 fragCoord) { float qv_user_layer[2]; qv_user_layer[0] = 1.; }");
    EXPECT_EQ(translated("fragColor = vec4(time); // return time;\n"), "fragColor = vec4(time); // return time;\n");
}

} // namespace
