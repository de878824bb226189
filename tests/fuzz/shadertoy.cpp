// Shadertoy-dialect text through the edit-time conversion and the render-time
// wrapping. Besides not crashing:
// - converting converted code again changes nothing (stored code is converted
//   at every edit and language switch), unless the text declares a channel
//   input itself ("float iChannelTime[0];" becomes a declaration of `time`,
//   which a later conversion must rename as the user's);
// - no channel input is left after a conversion;
// - renaming one name does what the regular expression it stands for does,
//   and renaming it twice adds no second prefix;
// - text holding no reserved name and no channel input comes back unchanged;
// - both wrappings put exactly their block before the code and the main()
//   after it.
#include "translate/identifier_rewrite.h"
#include "translate/shadertoy_full_wrap.h"
#include "translate/shadertoy_wrap.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> &kNames = qv::reservedNames();

// What renaming kNames[i] stands for.
const std::regex &namePattern(std::size_t i)
{
    static std::vector<std::regex> patterns = [] {
        std::vector<std::regex> made;
        for (const std::string &name : kNames)
            made.emplace_back("([^a-zA-Z0-9\\$_])" + name + "(?=[^a-zA-Z0-9_])");
        return made;
    }();
    return patterns[i];
}

void expect(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "shadertoy fuzz: %s\n", what);
        std::abort();
    }
}

std::string converted(std::string text)
{
    qv::ShadertoyTranslator(text);
    return text;
}

// The text with GLSL comments blanked to one space each, as a compiler sees it.
std::string withoutComments(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = i;
        if (text.compare(i, 2, "//") == 0)
            end = text.find('\n', i);
        else if (text.compare(i, 2, "/*") == 0)
            end = text.find("*/", i + 2) == std::string::npos ? i : text.find("*/", i + 2) + 2;
        if (end == i) {
            out += text[i++];
            continue;
        }
        out += ' ';
        i = end == std::string::npos ? text.size() : end;
    }
    return out;
}

// A channel input right after a word and white space, or after a comma that
// may continue a declaration list ("float a = 1.0, iChannel0;"): a
// declaration of it.
bool declaresAChannelInput(const std::string &text)
{
    static const std::regex declaration("[A-Za-z0-9_]\\s+(iChannel|[A-Za-z0-9_]+[^;{}#]*,\\s*iChannel)");
    return std::regex_search(text, declaration) || std::regex_search(withoutComments(text), declaration);
}

bool holdsAChannelInput(const std::string &text)
{
    static const std::regex input("(^|[^A-Za-z0-9_])iChannel([0-9]([^A-Za-z0-9_]|$)|(Resolution|Time)\\s*\\[\\s*\\d+\\s*\\])");
    return std::regex_search(text, input);
}

bool holdsAnything(const std::string &text)
{
    for (const std::string &name : kNames)
        if (text.find(name) != std::string::npos)
            return true;
    return text.find("iChannel") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const std::string once = converted(text);
    if (!declaresAChannelInput(text))
        expect(converted(once) == once, "converting converted code changed it again");
    expect(!holdsAChannelInput(once), "a channel input survived the conversion");
    if (!holdsAnything(text))
        expect(once == text, "text with nothing to convert changed");

    const std::size_t which = size % kNames.size();
    const std::string &name = kNames[which];
    std::string renamed = text;
    qv::RewriteName(renamed, name, std::string("qv_user_") + name);
    expect(renamed == std::regex_replace(text, namePattern(which), std::string("$1qv_user_") + name),
           "renaming differs from its regular expression");
    std::string again = renamed;
    qv::RewriteName(again, name, std::string("qv_user_") + name);
    expect(again == renamed, "renaming a name twice prefixed it twice");

    std::string wrapped = once;
    qv::wrapShadertoyCode(wrapped);
    expect(wrapped == qv::kShadertoyHead + once + qv::kShadertoyTail, "the wrapping is not head, code, tail");
    std::string full = once, adapted = once;
    qv::wrapShadertoyCodeFull(full);
    qv::adaptDirectives(adapted);
    expect(full == qv::kShadertoyFullHead + adapted + qv::kShadertoyFullTail, "the full wrapping is not head, code, tail");
    expect(once.find('#') != std::string::npos || adapted == once, "code without directives was changed");
    return 0;
}
