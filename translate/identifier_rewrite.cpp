#include "translate/identifier_rewrite.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

namespace qv {
namespace {

const char kUserPrefix[] = "qv_user_";
const char kChannel[] = "iChannel";

// The engine's names, in the order they are renamed.
const char *const kReservedNames[] = {
    "uv", "outColor", "getColor", "uv2xy", "xy2uv", "slider", "angle", "checkbox",
    "point", "point3d", "color", "layer", "layerResolution", "inLayer", "time", "fps",
    "width", "height", "origin", "resolution", "INPUT_LAYER_INDEX", "OUTPUT_LAYER_INDEX",
    "platform", "host"};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isWordChar(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }  /* ECMAScript's \s */
bool isBlank(char c) { return isSpace(c) && c != '\n'; }

std::size_t skipSpaces(const std::string &text, std::size_t i)
{
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return i;
}

// Where the comment starting at text[i] ends, or i when none starts there.
// An unterminated block comment is no comment.
std::size_t commentEnd(const std::string &text, std::size_t i)
{
    if (text.compare(i, 2, "//") == 0)
        return std::min(text.find('\n', i), text.size());
    if (text.compare(i, 2, "/*") != 0)
        return i;
    std::size_t close = text.find("*/", i + 2);
    return close == std::string::npos ? i : close + 2;
}

// The text as declarations are looked for in it: each comment one space, as
// a compiler sees it, and each preprocessor line one '#', so a macro body
// ("#define CH layer[0]") is no declaration and joins nothing to its
// neighbours.
std::string codeOnly(const std::string &text)
{
    std::string out;
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size();) {
        if (std::size_t end = commentEnd(text, i); end != i) {
            out += ' ';
            i = end;
        } else if (lineStart && text[i] == '#') {
            out += '#';
            while (i < text.size() && text[i] != '\n')
                i = std::max(commentEnd(text, i), i + 1);
        } else {
            lineStart = text[i] == '\n' || (lineStart && isBlank(text[i]));
            out += text[i++];
        }
    }
    return out;
}

bool isChannelOutput(const std::string &name)
{
    return name == "layer" || name == "layerResolution" || name == "time";
}

// Words that stand before an expression rather than a declared name. The
// channel outputs, which a conversion writes as values, are among them, with
// or without the prefix: renaming one later in the same conversion must not
// turn what follows it into a declaration the next conversion would see.
bool introducesExpression(const std::string &word)
{
    const std::size_t prefix = sizeof kUserPrefix - 1;
    bool prefixed = word.compare(0, prefix, kUserPrefix) == 0;
    return word == "return" || word == "else" || word == "case" || isChannelOutput(word) ||
           (prefixed && isChannelOutput(word.substr(prefix)));
}

// The identifier that ends at text[end] (exclusive), or "".
std::string wordBefore(const std::string &text, std::size_t end)
{
    std::size_t start = end;
    while (start > 0 && isWordChar(text[start - 1]))
        --start;
    if (start == end || isDigit(text[start]))
        return "";
    return text.substr(start, end - start);
}

// Whether the statement starting at code[i] opens the way a declaration
// does: a word that is no expression's, white space, then a name.
bool opensDeclaration(const std::string &code, std::size_t i)
{
    std::size_t start = skipSpaces(code, i), end = start;
    while (end < code.size() && isWordChar(code[end]))
        ++end;
    std::size_t name = skipSpaces(code, end);
    if (end == start || name == end || name >= code.size() || isDigit(code[name]) || !isWordChar(code[name]))
        return false;
    std::string word = wordBefore(code, end);
    return !word.empty() && !introducesExpression(word);
}

// The commas that separate the names of one declaration ("float a = f(1.0,
// 2.0), time;"): outside every bracket of a statement that opens as a
// declaration. One pass, so a long list costs no more than its length.
std::vector<bool> declarationListCommas(const std::string &code)
{
    std::vector<bool> commas(code.size(), false);
    int depth = 0;
    bool opens = opensDeclaration(code, 0);
    for (std::size_t i = 0; i < code.size(); ++i) {
        char c = code[i];
        if (c == '(' || c == '[')
            ++depth;
        else if ((c == ')' || c == ']') && depth > 0)
            --depth;
        else if (c == ',')
            commas[i] = opens && depth == 0;
        else if (c != '\0' && std::strchr(";{}#", c)) {
            depth = 0;  /* a new statement: no bracket stays open across one */
            opens = opensDeclaration(code, i + 1);
        }
    }
    return commas;
}

// Whether `code` declares `name` at `at`: the name, optional white space,
// then one of ; , = ) [ ( -- after a word and white space, or after a comma
// of a declaration list.
bool declaresAt(const std::string &code, const std::vector<bool> &listCommas, const std::string &name,
                std::size_t at)
{
    if (at == 0 || !(isSpace(code[at - 1]) || code[at - 1] == ','))
        return false;
    std::size_t next = skipSpaces(code, at + name.size());
    if (next >= code.size() || code[next] == '\0' || !std::strchr(";,=)[(", code[next]))
        return false;
    std::size_t end = at;
    while (end > 0 && isSpace(code[end - 1]))
        --end;
    if (end > 0 && code[end - 1] == ',')
        return listCommas[end - 1];
    std::string word = wordBefore(code, end);
    return !word.empty() && !introducesExpression(word);
}

// Whether the code (comments and preprocessor lines aside) declares `name`.
bool declares(const std::string &text, const std::string &name)
{
    std::string code = codeOnly(text);
    std::vector<bool> listCommas = declarationListCommas(code);
    for (std::size_t at = code.find(name); at != std::string::npos; at = code.find(name, at + 1))
        if (declaresAt(code, listCommas, name, at))
            return true;
    return false;
}

// The length of "[n]" at text[i], white space allowed around the bracket and
// the index, storing the index's digits; 0 when there is none.
std::size_t indexSuffix(const std::string &text, std::size_t i, std::string *digits)
{
    std::size_t p = skipSpaces(text, i);
    if (p >= text.size() || text[p] != '[')
        return 0;
    std::size_t first = p = skipSpaces(text, p + 1);
    while (p < text.size() && isDigit(text[p]))
        ++p;
    *digits = text.substr(first, p - first);
    p = skipSpaces(text, p);
    if (digits->empty() || p >= text.size() || text[p] != ']')
        return 0;
    return p + 1 - i;
}

// The engine's text for a channel input at text[at] (which holds "iChannel"),
// stored in `replacement`; the input's length, or 0 when there is none.
std::size_t channelInput(const std::string &text, std::size_t at, std::string *replacement)
{
    std::size_t p = at + sizeof kChannel - 1;
    std::string digits;
    if (p < text.size() && isDigit(text[p]) && (p + 1 == text.size() || !isWordChar(text[p + 1]))) {
        *replacement = std::string("layer[") + text[p] + "]";
        return p + 1 - at;
    }
    if (text.compare(p, 10, "Resolution") == 0) {
        std::size_t n = indexSuffix(text, p + 10, &digits);
        *replacement = "layerResolution[" + digits + "]";
        return n ? p + 10 + n - at : 0;
    }
    if (text.compare(p, 4, "Time") == 0) {
        std::size_t n = indexSuffix(text, p + 4, &digits);
        *replacement = "time";
        return n ? p + 4 + n - at : 0;
    }
    return 0;
}

// Replaces, left to right, each occurrence of `needle` that `accept` takes:
// accept(at, &replacement) gives how many bytes from `at` the replacement
// stands for, or 0 to leave the occurrence. Occurrences inside a replaced
// stretch are passed over.
template <class Accept> void replaceAccepted(std::string &text, const std::string &needle, Accept accept)
{
    std::string out, replacement;
    std::size_t from = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        std::size_t n = at < from ? 0 : accept(at, &replacement);
        if (n) {
            out.append(text, from, at - from).append(replacement);
            from = at + n;
        }
    }
    if (from == 0)
        return;
    out.append(text, from, std::string::npos);
    text.swap(out);
}

void rewriteChannels(std::string &text)
{
    replaceAccepted(text, kChannel, [&text](std::size_t at, std::string *replacement) -> std::size_t {
        if (at > 0 && isWordChar(text[at - 1]))
            return 0;  /* inside a longer identifier */
        return channelInput(text, at, replacement);
    });
}

} // namespace

const std::vector<std::string> &reservedNames()
{
    static const std::vector<std::string> names(std::begin(kReservedNames), std::end(kReservedNames));
    return names;
}

void RewriteName(std::string &text, const std::string &name, const std::string &replacement)
{
    if (name.empty())
        return;
    replaceAccepted(text, name, [&](std::size_t at, std::string *out) -> std::size_t {
        std::size_t end = at + name.size();
        if (at == 0 || end >= text.size())
            return 0;  /* a character must stand on either side */
        char before = text[at - 1];
        if (isWordChar(before) || before == '$' || isWordChar(text[end]))
            return 0;
        *out = replacement;
        return name.size();
    });
}

// layer, layerResolution and time are renamed only where the code declares
// them: the dialect has none of the three, so an undeclared one is the
// engine's own, written by an earlier conversion or by the user.
void ShadertoyTranslator(std::string &text)
{
    for (const char *name : kReservedNames)
        if (!isChannelOutput(name) || declares(text, name))
            RewriteName(text, name, kUserPrefix + std::string(name));
    rewriteChannels(text);
}

} // namespace qv
