#include "support/text.h"

namespace qv {

void ReplaceAll(std::string &text, const std::string &pattern, const std::string &replacement)
{
    if (pattern.empty())
        return;
    std::size_t pos = text.find(pattern);
    if (pos == std::string::npos)
        return;
    /* Built anew rather than replaced in place, which would be quadratic. */
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t from = 0;
    for (; pos != std::string::npos; pos = text.find(pattern, from)) {
        out.append(text, from, pos - from).append(replacement);
        from = pos + pattern.size();  /* inserted text is never searched */
    }
    out.append(text, from, std::string::npos);
    text.swap(out);
}

void EscapeForScript(std::string &text)
{
    ReplaceAll(text, "\\", "\\\\");  /* first, so later escapes stay single */
    ReplaceAll(text, "\n", "\\n");
    ReplaceAll(text, "\t", "\\t");
    ReplaceAll(text, "'", "\\'");
    ReplaceAll(text, "\"", "\\\"");
}

static void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(const std::u16string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            char32_t low = text[++i];
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            appendUtf8(out, 0xFFFD);  /* unpaired surrogate */
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

// Decodes one UTF-8 sequence at text[i], advancing i; malformed input yields U+FFFD.
static char32_t decodeUtf8(const std::string &text, std::size_t &i)
{
    unsigned char lead = static_cast<unsigned char>(text[i++]);
    int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
    if (extra < 0)
        return 0xFFFD;
    char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0xFFFD;
    return cp;
}

std::u16string Utf8ToUtf16(const std::string &text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = decodeUtf8(text, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string FitEscapedText(const std::string &escaped, std::size_t capacity)
{
    if (escaped.size() <= capacity)
        return escaped;
    std::size_t cut = capacity;
    while (cut > 0 && (static_cast<unsigned char>(escaped[cut]) & 0xC0) == 0x80)
        --cut;  /* escaped[cut] would start the dropped part mid-character */
    std::size_t slashes = 0;
    while (slashes < cut && escaped[cut - 1 - slashes] == '\\')
        ++slashes;
    if (slashes % 2 == 1)
        --cut;  /* an odd run ends in the first half of an escape */
    return escaped.substr(0, cut);
}

} // namespace qv
