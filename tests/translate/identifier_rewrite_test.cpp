#include "translate/identifier_rewrite.h"


#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
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

TEST(ShadertoyTranslatorTest, RenamesReservedNamesAndMapsTheChannels)
{
    const Case cases[] = {
        {"texture(iChannel0, p)", "texture(layer[0], p)"},
        {"texture(iChannel0, uv)", "texture(layer[0], qv_user_uv)"},
        {" iChannelResolution[ 2 ].x", " layerResolution[2].x"},
        {" iChannelTime[1]*2.", " time*2."},
        {"float time = iTime;\nx=time*time;", "float qv_user_time = iTime;\nx=qv_user_time*qv_user_time;"},
        {"x=time*time; float f(float time)", "x=qv_user_time*qv_user_time; float f(float qv_user_time)"},
        {"x=time*time;", "x=time*time;"},  /* undeclared: the engine's time */
        {" point3d(color, width) ", " qv_user_point3d(qv_user_color, qv_user_width) "},
        {"nothing to do", "nothing to do"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(translated(c.input), c.expected) << c.input;
}

// The fragment prelude the engine embeds, read from its file so this pure
// test needs no GL library.
std::string fragmentPrelude()
{
    std::ifstream file(QV_SOURCE_DIR "/engine/shaders/fragment_prelude.glsl", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The names the engine's fragment prelude declares: its macros (less the
// gl_ built-ins it redirects), its inputs, outputs and uniforms, and its
// functions (a heading line: type, name, parameters, no semicolon).
std::set<std::string> preludeNames()
{
    static const std::regex declaration(
        "^\\s*(?:#define\\s+(\\w+)|(?:uniform|in|out)\\s+\\w+\\s+(\\w+)|\\w+\\s+(\\w+)\\s*\\([^;]*\\)\\s*\\{?\\s*$)");
    std::set<std::string> names;
    std::istringstream lines(fragmentPrelude());
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, declaration))
            continue;
        std::string name = m[1].matched ? m[1].str() : m[2].matched ? m[2].str() : m[3].str();
        if (name.compare(0, 3, "gl_") != 0)
            names.insert(name);
    }
    return names;
}

// What a shader must not declare under the engine's names: the prelude's,
// and `platform`, which the assembly defines ahead of the prelude. outLayer
// has never been renamed; renaming it now would convert new code
// differently from the code already stored.
std::set<std::string> clashingNames()
{
    std::set<std::string> names = preludeNames();
    names.insert("platform");
    names.erase("outLayer");
    return names;
}

TEST(ReservedNamesTest, AreTheNamesThePreludeDeclares)
{
    std::set<std::string> prelude = preludeNames();
    ASSERT_GT(prelude.size(), 20u);  // the parse found the prelude's declarations
    ASSERT_TRUE(prelude.count("outLayer") && prelude.count("getColor") && prelude.count("INPUT_LAYER_INDEX"));
    const std::vector<std::string> &list = qv::reservedNames();
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()), clashingNames());
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size()) << "a name listed twice";
}

// `@` stands for the name; `#` for the name with its prefix.
std::string filled(std::string shape, const std::string &name)
{
    std::string out;
    for (char c : shape)
        out += c == '@' ? name : c == '#' ? "qv_user_" + name : std::string(1, c);
    return out;
}

// Every clashing name, declared in each way GLSL allows, is renamed with
// all its uses.
TEST(ShadertoyTranslatorTest, EveryDeclaredEngineNameIsRenamedWithItsUses)
{
    const Case shapes[] = {
        {" float @ = 1.0; y = @;", " float # = 1.0; y = #;"},
        {" float @; y = @*@;", " float #; y = #*#;"},
        {" float a, @; y = @;", " float a, #; y = #;"},
        {" float b = 1.0, @ = 2.0; y = @;", " float b = 1.0, # = 2.0; y = #;"},
        {" float c = g(1.0, 2.0),@; y = @;", " float c = g(1.0, 2.0),#; y = #;"},
        {" { return 1.0; float a, @; y = @; }", " { return 1.0; float a, #; y = #; }"},  /* a list after a statement */
        {" uniform vec2 d[2], @[3]; y = @[0].x;", " uniform vec2 d[2], #[3]; y = #[0].x;"},
        {" float f(float @) { return @; }", " float f(float #) { return #; }"},
        {" vec4 @(vec2 p) { return vec4(p, 0.0, 1.0); } y = @(p);",
         " vec4 #(vec2 p) { return vec4(p, 0.0, 1.0); } y = #(p);"},
    };
    for (const std::string &name : clashingNames())
        for (const Case &c : shapes)
            EXPECT_EQ(translated(filled(c.input, name)), filled(c.expected, name)) << filled(c.input, name);
}

// A name the code does not declare: the engine's own. Only the channel
// outputs (layer, layerResolution, time) are kept then, since a conversion
// writes them; every other clashing name is renamed wherever it stands.
TEST(ShadertoyTranslatorTest, AnUndeclaredNameIsRenamedUnlessAConversionWritesIt)
{
    const char *const uses[] = {
        " float f() { return @; }",
        " if (c) y = 1.0; else @;",
        " y = g(a, @);",
        " y = a, @;",
        " for (int i = 0, j = 1; i < 2; i++) y += g(i, @);",
        " return @, @;",
        " int x; x = @;",
    };
    const std::set<std::string> written = {"layer", "layerResolution", "time"};
    for (const std::string &name : clashingNames()) {
        for (const char *use : uses) {
            std::string expected = written.count(name) ? filled(use, name) : filled(use, "qv_user_" + name);
            EXPECT_EQ(translated(filled(use, name)), expected) << filled(use, name);
        }
    }
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
    /* these changed again on a second conversion */
    " iChannelTime[1]*2.",
    "#define CH iChannel0\n#define R iChannelResolution[0]\n"
    "void mainImage(out vec4 fragColor, in vec2 p) { fragColor = texture(CH, p / R); }\n",
    "#define T iChannelTime[2];\nfloat x = T\n",
    " iChannel0uv ",
    "mainImage iChannelTime[0] time;",
    "float f(float time) { return time; }\n#define CH(x) iChannel0\n",
    "a time=time layer[",  /* found by fuzzing */
    "float a, time;\nfloat b = 1.0, layerResolution = 2.0;\nvec4 c = texture(iChannel0, vec2(a, b)) * time;\n",
    "float d = f(iChannelTime[0], 2.0), time = d;\n",
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

TEST(ShadertoyTranslatorTest, ChannelInputsAreWholeIdentifiers)
{
    const Case cases[] = {
        {"vec4 iChannel0Color = texture(iChannel0, p);", "vec4 iChannel0Color = texture(layer[0], p);"},
        {"myiChannel1 iChannel12 _iChannelTime[0]", "myiChannel1 iChannel12 _iChannelTime[0]"},
        {"(iChannel9).x iChannel3", "(layer[9]).x layer[3]"},
        {"iChannelResolution[\n 12\t]+iChannelTime [ 0 ]", "layerResolution[12]+time"},
        {"iChannelResolution[] iChannelTime[x] iChannel", "iChannelResolution[] iChannelTime[x] iChannel"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(translated(c.input), c.expected) << c.input;
}

TEST(ShadertoyTranslatorTest, ADirectiveOrACommentDeclaresNothing)
{
    const Case cases[] = {
        {"#define layer(x) x\n x = layer[1];", "#define layer(x) x\n x = layer[1];"},
        {"// float time;\n/* vec4 layer[2]; */ x = time;", "// float time;\n/* vec4 layer[2]; */ x = time;"},
        {"float/**/time;", "float/**/qv_user_time;"},
        {"  # define F float time;\nfloat x = time;", "  # define F float time;\nfloat x = time;"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(translated(c.input), c.expected) << c.input;
}

// The conversion used to run std::regex, whose matcher recursed once per
// character of a comment, an identifier or a run of white space and
// overflowed the stack on long ones.
TEST(ShadertoyTranslatorTest, LongTextsDoNotExhaustTheStack)
{
    const std::size_t n = 1 << 20;
    const std::string cases[] = {
        "/*" + std::string(n, 'x') + "*/ float time;",
        "//" + std::string(n, ' ') + "\n float time;",
        " float " + std::string(n, 'a') + " time;",
        " iChannelResolution[" + std::string(n, ' ') + "1] float time;",
        " iChannel" + std::string(n, 'b') + " float time;",
        " float" + std::string(n, '\t') + "time;",
    };
    for (const std::string &text : cases) {
        std::string out = translated(text);
        EXPECT_NE(out.find("qv_user_time;"), std::string::npos) << text.substr(0, 24);
        EXPECT_EQ(translated(out), out) << text.substr(0, 24);
    }
}

} // namespace
