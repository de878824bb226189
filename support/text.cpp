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

// The length of the well-formed UTF-8 sequence at text[i] (no overlong form,
// no surrogate, nothing above U+10FFFF), or 0.
static std::size_t utf8SequenceAt(const std::string &text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    auto tail = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
    unsigned lead = byte(i), second = byte(i + 1);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return tail(i + 1) ? 2 : 0;
    bool secondOk = lead == 0xE0 ? second >= 0xA0 && second <= 0xBF
                  : lead == 0xED ? second >= 0x80 && second <= 0x9F
                  : lead == 0xF0 ? second >= 0x90 && second <= 0xBF
                  : lead == 0xF4 ? second >= 0x80 && second <= 0x8F
                  : lead >= 0xE1 && lead <= 0xF3 && tail(i + 1);
    if (!secondOk)
        return 0;
    if (lead <= 0xEF)
        return tail(i + 2) ? 3 : 0;
    return tail(i + 2) && tail(i + 3) ? 4 : 0;
}

// The escape of a byte that is not text: \xHH, read back as the character
// of that value (a Latin-1 reading), as no script string holds bytes.
static void appendByteEscape(std::string &out, unsigned char byte)
{
    static const char hex[] = "0123456789ABCDEF";
    out += "\\x";
    out += hex[byte >> 4];
    out += hex[byte & 0x0F];
}

// The escape of the one-byte character c, or null when it needs none.
static const char *asciiEscape(char c)
{
    switch (c) {
    case '\\': return "\\\\";
    case '\n': return "\\n";
    case '\t': return "\\t";
    case '\'': return "\\'";
    case '"': return "\\\"";
    case '\r': return "\\r";    /* a line end inside a literal is a syntax error */
    case '\0': return "\\x00";  /* scripts travel as C strings: a NUL would end them */
    default: return nullptr;
    }
}

// U+2028 and U+2029 end lines in script source, as a line feed does.
static bool isLineSeparator(const std::string &text, std::size_t i)
{
    return text.compare(i, 2, "\xE2\x80") == 0 && (text[i + 2] == '\xA8' || text[i + 2] == '\xA9');
}

void EscapeForScript(std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = utf8SequenceAt(text, i);
        if (n == 0) {
            appendByteEscape(out, static_cast<unsigned char>(text[i]));
            n = 1;
        } else if (n == 1) {
            const char *escape = asciiEscape(text[i]);
            if (escape)
                out += escape;
            else
                out += text[i];
        } else if (n == 3 && isLineSeparator(text, i)) {
            out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
        } else {
            out.append(text, i, n);
        }
        i += n;
    }
    text.swap(out);
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

// The length of the escape or the character at escaped[i].
static std::size_t escapedUnitAt(const std::string &escaped, std::size_t i)
{
    if (escaped[i] == '\\' && i + 1 < escaped.size())
        return escaped[i + 1] == 'x' ? 4 : escaped[i + 1] == 'u' ? 6 : 2;
    std::size_t n = utf8SequenceAt(escaped, i);
    return n ? n : 1;
}

std::string FitEscapedText(const std::string &escaped, std::size_t capacity)
{
    std::size_t cut = 0;
    while (cut < escaped.size()) {
        std::size_t next = cut + escapedUnitAt(escaped, cut);
        if (next > capacity)
            break;
        cut = next;
    }
    return escaped.substr(0, cut);
}

} // namespace qv
