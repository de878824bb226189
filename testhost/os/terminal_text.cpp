#include "testhost/os/terminal_text.h"

#include <cstdio>

namespace qvh {
namespace {

const char *namedEscape(unsigned char c)
{
    switch (c) {
    case '\a': return "\\a";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\r': return "\\r";
    case '\v': return "\\v";
    default: return nullptr;
    }
}

std::string hexEscape(const char *format, unsigned c)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, format, c);
    return escape;
}

} // namespace

std::string TerminalText(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F && !(c == 0xC2 && next >= 0x80 && next <= 0x9F)))
            out += static_cast<char>(c);
        else if (c == 0xC2)
            out += hexEscape("\\u%04x", next), ++i;  /* a C1 control in UTF-8: some terminals act on it */
        else if (const char *named = namedEscape(c))
            out += named;
        else
            out += hexEscape("\\x%02x", c);
    }
    return out;
}

} // namespace qvh
