#include "ui/editor_text.h"

#include <cstdint>

namespace qv {
namespace {

constexpr uint32_t kByteBase = 0x10FE00;

unsigned char at(const std::string &s, std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; }

bool continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at `i` (with its code point),
// or 0 when the byte there starts none.
std::size_t sequenceAt(const std::string &s, std::size_t i, uint32_t &cp)
{
    unsigned char b0 = at(s, i), b1 = at(s, i + 1), b2 = at(s, i + 2), b3 = at(s, i + 3);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF && continuation(b1)) {
        cp = (uint32_t(b0 & 0x1F) << 6) | (b1 & 0x3F);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && continuation(b1) && continuation(b2)) {
        bool overlong = b0 == 0xE0 && b1 < 0xA0, surrogate = b0 == 0xED && b1 > 0x9F;
        cp = (uint32_t(b0 & 0x0F) << 12) | (uint32_t(b1 & 0x3F) << 6) | (b2 & 0x3F);
        return overlong || surrogate ? 0 : 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && continuation(b1) && continuation(b2) && continuation(b3)) {
        bool overlong = b0 == 0xF0 && b1 < 0x90, tooHigh = b0 == 0xF4 && b1 > 0x8F;
        cp = (uint32_t(b0 & 0x07) << 18) | (uint32_t(b1 & 0x3F) << 12) | (uint32_t(b2 & 0x3F) << 6) | (b3 & 0x3F);
        return overlong || tooHigh ? 0 : 4;
    }
    return 0;
}

bool travelsAsByte(uint32_t cp) { return cp >= kByteBase && cp <= kByteBase + 0xFF; }

void appendTravellingByte(std::string &out, unsigned char byte)
{
    uint32_t cp = kByteBase + byte;
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

} // namespace

std::string ToEditorText(const std::string &bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        uint32_t cp = 0;
        std::size_t n = sequenceAt(bytes, i, cp);
        if (n == 0 || cp == 0 || travelsAsByte(cp)) {
            std::size_t end = n ? i + n : i + 1;
            for (; i < end; ++i)
                appendTravellingByte(out, static_cast<unsigned char>(bytes[i]));
            continue;
        }
        out.append(bytes, i, n);
        i += n;
    }
    return out;
}

std::string FromEditorText(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        uint32_t cp = 0;
        std::size_t n = sequenceAt(text, i, cp);
        if (n == 4 && travelsAsByte(cp)) {
            out += static_cast<char>(cp - kByteBase);
        } else {
            out.append(text, i, n ? n : 1);
        }
        i += n ? n : 1;
    }
    return out;
}

} // namespace qv
