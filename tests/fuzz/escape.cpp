// Escaped text between single and between double quotes must be a script
// literal that the simulator's script engine reads back as the original, and
// so must every cut of it that FitEscapedText makes (as a prefix).
//
// "The original" as a script engine can hold it: its strings are characters,
// not bytes. Well-formed UTF-8 (NUL included) reads back byte for byte; any
// other byte reads back as the character of the same value, U+0080 to U+00FF
// (a Latin-1 reading). The escaped text itself must hold no NUL and no raw
// line end, since the host takes scripts as C strings, line by line.
#include "support/text.h"
#include "testhost/scripting/script_engine.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

void expect(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "escape fuzz: %s\n", what);
        std::abort();
    }
}

std::size_t utf8Length(const std::string &t, std::size_t i)
{
    auto at = [&](std::size_t k) { return k < t.size() ? static_cast<unsigned char>(t[k]) : 0u; };
    auto cont = [&](std::size_t k) { return (at(k) & 0xC0) == 0x80; };
    unsigned a = at(i), b = at(i + 1);
    if (a < 0x80)
        return 1;
    if (a >= 0xC2 && a <= 0xDF && cont(i + 1))
        return 2;
    unsigned lo = a == 0xE0 ? 0xA0 : a == 0xF0 ? 0x90 : 0x80;
    unsigned hi = a == 0xED ? 0x9F : a == 0xF4 ? 0x8F : 0xBF;
    if (a < 0xE0 || a > 0xF4 || b < lo || b > hi)
        return 0;
    if (a < 0xF0)
        return cont(i + 2) ? 3 : 0;
    return cont(i + 2) && cont(i + 3) ? 4 : 0;
}

// What the engine holds for `bytes`, in UTF-8.
std::string asCharacters(const std::string &bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t n = utf8Length(bytes, i);
        if (n) {
            out.append(bytes, i, n);
            i += n;
            continue;
        }
        unsigned char b = static_cast<unsigned char>(bytes[i++]);
        out += static_cast<char>(0xC0 | (b >> 6));
        out += static_cast<char>(0x80 | (b & 0x3F));
    }
    return out;
}

std::string readBack(const std::string &literal)
{
    static qvh::ScriptEngine *engine = new qvh::ScriptEngine;
    try {
        return engine->evaluate(literal);
    } catch (const std::runtime_error &e) {
        std::fprintf(stderr, "escape fuzz: %s\n", e.what());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string original(reinterpret_cast<const char *>(data), size);
    std::string text = original;
    qv::EscapeForScript(text);
    expect(text.find_first_of(std::string("\n\r\0", 3)) == std::string::npos, "a NUL or line end was left raw");
    const std::string expected = asCharacters(original);
    expect(readBack("'" + text + "'") == expected, "single-quoted text read back otherwise");
    expect(readBack("\"" + text + "\"") == expected, "double-quoted text read back otherwise");

    std::size_t capacity = size > 0 ? data[0] % (text.size() + 1) : 0;
    std::string cut = qv::FitEscapedText(text, capacity);
    expect(cut.size() <= capacity && text.compare(0, cut.size(), cut) == 0, "the cut is too long or no prefix");
    std::string back = readBack("'" + cut + "'");
    expect(expected.compare(0, back.size(), back) == 0, "the cut read back as no prefix of the text");
    return 0;
}
