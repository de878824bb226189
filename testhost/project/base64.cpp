#include "testhost/project/base64.h"

namespace qvh {
namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// Decodes the quartet at `at`; the last one may end in one or two '='.
bool quartet(const std::string &text, std::size_t at, bool last, std::string *bytes, std::size_t *where)
{
    int pad = last ? (text[at + 3] == '=') + (text[at + 3] == '=' && text[at + 2] == '=') : 0;
    unsigned value = 0;
    for (int k = 0; k < 4; ++k) {
        int s = k < 4 - pad ? sextet(text[at + k]) : 0;
        if (s < 0) {
            *where = at + k;
            return false;
        }
        value = value << 6 | unsigned(s);
    }
    if (value & ((1u << (8 * pad)) - 1)) {  /* bits the padding says are unused */
        *where = at + 3 - pad;
        return false;
    }
    for (int k = 0; k < 3 - pad; ++k)
        bytes->push_back(char(value >> (16 - 8 * k) & 0xFF));
    return true;
}

} // namespace

std::string Base64Encode(const std::string &bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::size_t n = bytes.size() - i < 3 ? bytes.size() - i : 3;
        unsigned value = 0;
        for (std::size_t k = 0; k < 3; ++k)
            value = value << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            text.push_back(k <= n ? kAlphabet[value >> (18 - 6 * k) & 0x3F] : '=');
    }
    return text;
}

bool Base64Decode(const std::string &text, std::string *bytes, std::size_t *where)
{
    bytes->clear();
    if (text.size() % 4) {
        *where = text.size();
        return false;
    }
    for (std::size_t at = 0; at < text.size(); at += 4)
        if (!quartet(text, at, at + 4 == text.size(), bytes, where))
            return false;
    return true;
}

} // namespace qvh
