// Escaped text must contain no raw line feed, tab or unescaped quote, must
// unescape back to the original, and cutting it to fit never splits an escape.
#include "support/text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

static std::string unescape(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        char next = text.at(++i);  /* a lone trailing backslash is a defect */
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string original(reinterpret_cast<const char *>(data), size);
    std::string text = original;
    qv::EscapeForScript(text);
    if (text.find_first_of("\n\t") != std::string::npos || unescape(text) != original)
        std::abort();
    std::string cut = qv::FitEscapedText(text, size / 2);
    if (cut.size() > size / 2 || (!cut.empty() && text.compare(0, cut.size(), cut) != 0))
        std::abort();
    unescape(cut);  /* throws (and so fails) if an escape was split */
    return 0;
}
