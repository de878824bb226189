#include "translate/identifier_rewrite.h"

#include <cctype>
#include <regex>

namespace qv {
namespace {

const char kUserPrefix[] = "qv_user_";

// The engine's names, in the order they are renamed.
const char *const kReservedNames[] = {
    "uv", "outColor", "getColor", "uv2xy", "xy2uv", "slider", "angle", "checkbox",
    "point", "point3d", "color", "layer", "layerResolution", "inLayer", "time", "fps",
    "width", "height", "origin", "resolution", "INPUT_LAYER_INDEX", "OUTPUT_LAYER_INDEX",
    "platform", "host"};

struct ChannelRewrite {
    const char *pattern;
    const char *format;
};
const ChannelRewrite kChannelRewrites[] = {
    {"iChannel([0-9])", "layer[$1]"},
    {"iChannelResolution[\\s]*\\[[\\s]*([\\d]+)[\\s]*\\]", "layerResolution[$1]"},
    {"iChannelTime[\\s]*\\[[\\s]*[\\d]+[\\s]*\\]", "time"}};

bool contains(const std::string &text, const std::string &pattern)
{
    return std::regex_search(text, std::regex(pattern, std::regex::ECMAScript));
}

bool isChannelOutput(const std::string &name)
{
    return name == "layer" || name == "layerResolution" || name == "time";
}

// Whether the text is a shader (it uses the dialect's own names) or has been
// converted before (it holds a prefix or a layer the conversion wrote).
bool looksLikeShader(const std::string &text)
{
    return contains(text, "\\b(mainImage|fragColor|fragCoord|iResolution|iTime|iTimeDelta|iFrame|iMouse"
                          "|iDate|iChannel\\w*)\\b|qv_user_|\\blayer\\[\\d\\]|\\blayerResolution\\[\\d+\\]");
}

std::string withoutComments(const std::string &text)
{
    return std::regex_replace(text, std::regex("//[^\\n]*|/\\*[\\s\\S]*?\\*/", std::regex::ECMAScript), " ");
}

// Whether the code (comments aside) declares `name` itself: a type or
// qualifier word, then the name, then what may follow a declared name.
bool declares(const std::string &source, const std::string &name)
{
    std::string text = withoutComments(source);
    std::smatch m;
    std::regex declaration("([A-Za-z_][A-Za-z0-9_]*)\\s+" + name + "\\s*[;,=)\\[(]", std::regex::ECMAScript);
    for (auto it = text.cbegin(); std::regex_search(it, text.cend(), m, declaration); it = m[0].second) {
        std::string word = m[1].str();
        bool whole = m[1].first == text.cbegin() || !std::isalnum(static_cast<unsigned char>(m[1].first[-1]));
        if (whole && word != "return" && word != "else" && word != "case")
            return true;
    }
    return false;
}

// A shader can use layer, layerResolution and time only as the engine's
// names unless it declares them: the dialect itself has none of the three.
// So in a shader, undeclared uses are the engine's (an earlier conversion
// wrote them) and stay; a bare fragment is renamed like every other name.
bool isUserName(const std::string &text, const std::string &name, bool shader)
{
    return !isChannelOutput(name) || !shader || declares(text, name);
}

} // namespace

void RegexReplace(std::string &text, const std::string &pattern, const std::string &format)
{
    text = std::regex_replace(text, std::regex(pattern, std::regex::ECMAScript), format);
}

void RewriteName(std::string &text, const std::string &name, const std::string &replacement)
{
    RegexReplace(text, "([^a-zA-Z0-9\\$_]{1})" + name + "(?=[^a-zA-Z0-9_])", "$1" + replacement);
}

void ShadertoyTranslator(std::string &text)
{
    bool shader = looksLikeShader(text);
    for (const char *name : kReservedNames)
        if (isUserName(text, name, shader))
            RewriteName(text, name, kUserPrefix + std::string(name));
    for (const ChannelRewrite &rewrite : kChannelRewrites)
        RegexReplace(text, rewrite.pattern, rewrite.format);
}

} // namespace qv
